#include "hardening_fixture.h"
