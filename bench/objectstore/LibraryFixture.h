#pragma once

#include <QString>

// The benchmark library: 100,000 tasks with text as a user writes it (support/UserText.h) and their surroundings,
// generated with seed 42 under the build directory.
class LibraryFixture
{
public:
    static constexpr int kTasks = 100000;
    static constexpr qint64 kNowMs = 1767225600000; // "now" of every query: 2026-01-01T00:00:00Z
    static const QString &path();
};
