#pragma once
#include "tempserver.h" // TODO drop
