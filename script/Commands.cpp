#include "script/Commands.h"

#include <string>
#include <unordered_map>

int CommandOpcode(std::string_view name)
{
    // Names compare exactly, letter case included.
    static const std::unordered_map<std::string_view, int> opcodes = [] {
        std::unordered_map<std::string_view, int> byName;
        for (int op = OpDisablePlayer; op < OpcodeCount; ++op)
            byName.emplace(Commands[std::size_t(op)].Name, op);
        return byName;
    }();
    const auto found = opcodes.find(name);
    return found == opcodes.end() ? -1 : found->second;
}
