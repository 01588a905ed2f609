#pragma once
#include <string>

#include "base/console.h"
#include "shell/command_loop.h"
