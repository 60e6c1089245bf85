// Every effect class of the show, for the effect table (and the tests that build one effect).
#pragma once

#include "Background.h"
#include "Balls.h"
#include "Bitch.h"
#include "Border.h"
#include "Clear.h"
#include "Credits.h"
#include "Flag.h"
#include "Image.h"
#include "Kaos.h"
#include "Land.h"
#include "Party.h"
#include "Space.h"
#include "Spiral.h"
#include "Starfield.h"
#include "Tunnel.h"
