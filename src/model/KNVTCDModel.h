#pragma once

#include "objectstore/Model.h"

// The task store's entities (model version 5, "modelVersionIdentifiers" ["5"]) with the steps that bring an older
// library up to it. A fresh model on every call: the coordinator takes ownership of it.
ostore::Model KNVTCDModel();
