#include "platform.h"

Platform* platform = nullptr;
