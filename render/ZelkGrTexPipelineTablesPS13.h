#pragma once

#include <cstdint>

namespace zelk {

// ps_1_3 instruction lists for the Glide combine (function, factor) pairs,
// written with abstract operands that the translator turns into registers
// per place (texture unit or final combine, colour or alpha half).

enum PS13Opcode : uint32_t {
    PS13MovSat = 0,
    PS13AddSat = 1,
    PS13SubSat = 2,
    PS13MulSat = 3,
    PS13MadSat = 4,
    PS13LrpSat = 5,
    PS13Nop = 6,
    PS13Dummy = 7,        // never written
    PS13Unsupported = 8,  // never written
    PS13Unknown = 9,      // never written; filler of the unused slots
    PS13Sub = 10,         // signed difference into the temporary
    PS13OpcodeCount = 11
};

enum PS13Operand : uint32_t {
    PS13Local = 0,
    PS13OneMinusLocal = 1,
    PS13LocalAlpha = 2,
    PS13OneMinusLocalAlpha = 3,
    PS13Other = 4,
    PS13OneMinusOther = 5,
    PS13OtherAlpha = 6,
    PS13OneMinusOtherAlpha = 7,
    PS13TextureRgb = 8,
    PS13OneMinusTextureRgb = 9,
    PS13TextureAlpha = 10,
    PS13OneMinusTextureAlpha = 11,
    PS13Result = 12,
    PS13OneMinusResult = 13,
    PS13Temp = 14,
    PS13OneMinusTemp = 15,
    PS13Zero = 16,
    PS13One = 17,
    PS13None = 18,
    PS13OperandCount = 19
};

struct PS13Record {
    uint32_t opcode;
    uint32_t destination;
    uint32_t source1;
    uint32_t source2;
    uint32_t source3;
};

struct PS13Entry {
    uint32_t count;
    PS13Record records[3];
};

extern const char* const PS13Mnemonics[PS13OpcodeCount];

// True for the opcodes that never produce a shader line.
inline bool IsPS13Skipped(uint32_t opcode)
{
    return opcode == PS13Dummy || opcode == PS13Unsupported || opcode == PS13Unknown || opcode >= PS13OpcodeCount;
}

PS13Record& MakePS13Record(PS13Record& record, uint32_t opcode, uint32_t destination, uint32_t source1,
                           uint32_t source2 = PS13None, uint32_t source3 = PS13None);
PS13Entry& MakePS13Entry(PS13Entry& entry, uint32_t count, const PS13Record& record1, const PS13Record& record2,
                         const PS13Record& record3);

// The instruction list of a combine (function, factor): the single entry of
// functions 0 to 2 whatever the factor, else the factor's entry of the
// function's table.  Functions and factors without a table entry (10 to 15,
// above 16; factors above 13) give the empty entry.
const PS13Entry& GetPS13Entry(uint32_t function, uint32_t factor);

}  // namespace zelk
