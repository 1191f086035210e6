#include "script/Script.h"

#include "core/Random.h"

#include <stdexcept>

// The interpreter: every block a little each frame, following only the references the compiler
// stored, with no lookup and no allocation.

void TScript::Update(int dt)
{
    for (std::size_t i = 0; i < Blocks.size(); ++i) {
        TScriptBlock &block = Blocks[i];
        if (block.SleepTime > 0) {
            block.SleepTime = block.SleepTime > dt ? block.SleepTime - dt : 0;
            continue;
        }
        RunningBlock = int(i);
        const bool halted = RunBlock(block);
        RunningBlock = -1;
        if (halted)
            return;
    }
}

// Runs the block until it sleeps or reaches its end; true when it stopped on "LoadMap".
bool TScript::RunBlock(TScriptBlock &block)
{
    const std::int32_t count = block.CommandCount();
    if (block.Pc >= count)
        block.Pc = 0;
    while (block.Pc < count && block.SleepTime <= 0) {
        const TScriptCommand &command = block.Commands[std::size_t(block.Pc)];
        switch (command.Opcode) {
        case OpAssign:
            Assign(*static_cast<const TAssignment *>(command.Args[0]));
            break;
        case OpIf:
            if (!Evaluate(command)) {
                // Skip to the matching "endif", which then runs as a no-op; never past the block's end.
                int depth = 1;
                while (depth > 0 && block.Pc + 1 < count) {
                    const std::int32_t op = block.Commands[std::size_t(++block.Pc)].Opcode;
                    depth += op == OpIf ? 1 : op == OpEndIf ? -1 : 0;
                }
                if (depth > 0)
                    block.Pc = count;
                continue;
            }
            break;
        case OpSleep:
            block.SleepTime = IntAt(command.Args[0]);
            break;
        case OpLoadMap:
            return true;
        case OpRandomInt:
            IntAt(command.Args[1]) = Random(IntAt(command.Args[0]));
            break;
        case OpRandomFloat:
            FloatAt(command.Args[1]) = float(Random(IntAt(command.Args[0])));
            break;
        case OpEndIf:
        case OpDisablePlayer:
        case OpEnablePlayer:
        case OpBlackScreen:
        case OpPlayerDead:
            break;
        default:
            if (Handler)
                Handler->Execute(command);
            break;
        }
        ++block.Pc;
    }
    return false;
}

bool TScript::Evaluate(const TScriptCommand &command)
{
    const auto *terms = static_cast<const TConditionTerm *>(command.Args[0]);
    bool result = false;
    for (std::int32_t k = 0; k < command.ArgCount; ++k) {
        const TConditionTerm &term = terms[k];
        int order;   // -1, 0 or 1 as Left is below, equal to or above Right
        bool unordered = false;
        switch (term.TermType) {
        case TValueType::Int: {
            const std::int32_t l = IntAt(term.Left), r = IntAt(term.Right);
            order = (l > r) - (l < r);
            break;
        }
        case TValueType::Bool: {
            const std::uint8_t l = *static_cast<const std::uint8_t *>(term.Left);
            const std::uint8_t r = *static_cast<const std::uint8_t *>(term.Right);
            order = (l > r) - (l < r);
            break;
        }
        default: {
            const float l = FloatAt(term.Left), r = FloatAt(term.Right);
            unordered = !(l < r) && !(l > r) && !(l == r);   // not a number
            order = (l > r) - (l < r);
            break;
        }
        }
        bool value;
        switch (term.Comparison) {
        case TComparison::Equal: value = !unordered && order == 0; break;
        case TComparison::Less: value = !unordered && order < 0; break;
        case TComparison::Greater: value = !unordered && order > 0; break;
        case TComparison::LessEqual: value = !unordered && order <= 0; break;
        case TComparison::GreaterEqual: value = !unordered && order >= 0; break;
        default: value = unordered || order != 0; break;
        }
        if (term.Negate)
            value = !value;
        if (k == 0)
            result = value;
        else if (terms[k - 1].Link)
            result = result && value;
        else
            result = result || value;
    }
    return result;
}

void TScript::Assign(const TAssignment &a)
{
    switch (a.AssignType) {
    case TValueType::Int: {
        // Unsigned arithmetic: a script's overflow wraps around instead of being undefined.
        const std::uint32_t t = std::uint32_t(IntAt(a.Target)), s = std::uint32_t(IntAt(a.Source));
        std::int32_t &target = IntAt(a.Target);
        switch (a.AssignOp) {
        case TAssignOp::Set: target = std::int32_t(s); break;
        case TAssignOp::Add: target = std::int32_t(t + s); break;
        case TAssignOp::Subtract: target = std::int32_t(t - s); break;
        case TAssignOp::Multiply: target = std::int32_t(t * s); break;
        case TAssignOp::Divide: {
            const std::int32_t divisor = std::int32_t(s);
            if (divisor == 0)
                throw std::runtime_error("Division by zero");
            if (divisor != -1)
                target = target / divisor;   // truncates towards zero
            else
                target = std::int32_t(0u - t);   // the lowest int divided by -1 wraps to itself
            break;
        }
        }
        break;
    }
    case TValueType::Float: {
        const long double t = FloatAt(a.Target), s = FloatAt(a.Source);
        float &target = FloatAt(a.Target);
        switch (a.AssignOp) {
        case TAssignOp::Set: target = FloatAt(a.Source); break;
        case TAssignOp::Add: target = float(t + s); break;
        case TAssignOp::Subtract: target = float(t - s); break;
        case TAssignOp::Multiply: target = float(t * s); break;
        case TAssignOp::Divide: target = float(t / s); break;
        }
        break;
    }
    default:
        if (a.AssignOp != TAssignOp::Set)
            throw std::runtime_error("Not for boolean");
        *static_cast<std::uint8_t *>(a.Target) = *static_cast<const std::uint8_t *>(a.Source);
        break;
    }
}
