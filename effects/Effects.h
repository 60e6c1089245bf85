// Every effect class of the show, for the shell's registry.
#pragma once

#include "Clear.h"
