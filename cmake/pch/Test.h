// What every test translation unit parses: the library set, GoogleTest, Qt's test helpers and the printers of Qt values.
#include "Library.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "support/QtPrinters.h"
