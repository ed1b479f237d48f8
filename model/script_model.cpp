#include "script_model.h"
Script* scriptLibrary = nullptr;
