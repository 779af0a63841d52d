#include "core/corvalinth_b.h"

namespace corvalinth {

CorvalinthB& Module()
{
    static CorvalinthB module;
    return module;
}

}  // namespace corvalinth
