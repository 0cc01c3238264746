#include "store/KNVTTaskStoreQueries.h"
