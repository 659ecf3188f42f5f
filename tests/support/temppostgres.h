#pragma once
#include "tempserver.h" // TODO drop
#include <unistd.h> // TODO drop
