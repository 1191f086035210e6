#include "script/Commands.h"

int CommandOpcode(std::string_view name)
{
    for (int op = OpDisablePlayer; op < OpcodeCount; ++op)
        if (Commands[std::size_t(op)].Name == name)
            return op;
    return -1;
}
