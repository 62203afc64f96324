// zelvane-sim's stream server with its simulated phones: the module the sim core starts
// when this library is part of the build.
#pragma once

#include <memory>

#include "sim/sim_module.h"

std::unique_ptr<zv::sim::ISimModule> CreateStreamModule();
