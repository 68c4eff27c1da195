// Everything a routine of the core works on: the program state, the form model and the
// ports to the outside world.
#pragma once

#include "engine/ports.h"
#include "engine/program_state.h"
#include "form/form_model.h"

namespace vfs {

struct Context {
    ProgramState& state;
    FormModel& form;
    Ports& ports;
};

}  // namespace vfs
