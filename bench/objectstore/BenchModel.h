#pragma once

#include "objectstore/Model.h"
#include "objectstore/Object.h"

// Entities shaped like the task store's, so the figures are those of the real library.
class BenchTaskList;
class BenchUser;

class BenchTask : public ostore::Object
{
    OSTORE_OBJECT(BenchTask)
    OSTORE_STRING(title, setTitle)
    OSTORE_INT(numericIdentifier, setNumericIdentifier)
    OSTORE_INT(status, setStatus)
    OSTORE_TO_ONE(BenchTaskList, taskList, setTaskList)
};

class BenchTaskList : public ostore::Object
{
    OSTORE_OBJECT(BenchTaskList)
};

class BenchUser : public ostore::Object
{
    OSTORE_OBJECT(BenchUser)
};

class BenchOther : public ostore::Object
{
    OSTORE_OBJECT(BenchOther)
};

namespace benchmodel {
ostore::Model makeModel();
}
