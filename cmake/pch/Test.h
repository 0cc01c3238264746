// What every test translation unit parses: the library set, GoogleTest and the printers of Qt values.
#include "Library.h"

#include <gtest/gtest.h>

#include "support/QtPrinters.h"
