#pragma once

#include <QString>

// What the user wrote on an object that the service never got, because the service had deleted the object meanwhile:
// the user is told, with the text, so that nothing written goes without a word.
struct KNVTTaskStoreLostEdit
{
    enum class Kind { Task, Project, Area, Tag, Comment };
    Kind kind = Kind::Task;
    // What names the object: its title; for a comment the title of the task it was written on.
    QString name;
    // What the user wrote that the service never got.
    QString text;
};
