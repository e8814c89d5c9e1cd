#include "render/ZelkGrTexPipelineTablesPS13.h"

namespace zelk {

const char* const PS13Mnemonics[PS13OpcodeCount] = {
    "mov_sat", "add_sat", "sub_sat", "mul_sat", "mad_sat", "lrp_sat", "nop", "dummy", "unsupported", "unknown", "sub",
};

PS13Record& MakePS13Record(PS13Record& record, uint32_t opcode, uint32_t destination, uint32_t source1,
                           uint32_t source2, uint32_t source3)
{
    record.opcode = opcode;
    record.destination = destination;
    record.source1 = source1;
    record.source2 = source2;
    record.source3 = source3;
    return record;
}

PS13Entry& MakePS13Entry(PS13Entry& entry, uint32_t count, const PS13Record& record1, const PS13Record& record2,
                         const PS13Record& record3)
{
    entry.count = count;
    for (PS13Record& slot : entry.records) {
        MakePS13Record(slot, PS13Unknown, PS13None, PS13None, PS13None, PS13None);
    }
    entry.records[0] = record1;
    entry.records[1] = record2;
    entry.records[2] = record3;
    return entry;
}

namespace {

constexpr uint32_t kFactorCount = 14;
constexpr uint32_t kTableFunctions[] = {3, 4, 5, 6, 7, 8, 9, 16};
constexpr uint32_t kTableCount = sizeof kTableFunctions / sizeof kTableFunctions[0];

// The operand that stands for factor f; None for the special factors 0, 8
// and the unused 6, 7.
uint32_t FactorOperand(uint32_t factor)
{
    static const uint32_t operands[kFactorCount] = {
        PS13None,          PS13Local,              PS13OtherAlpha,         PS13LocalAlpha,
        PS13TextureAlpha,  PS13TextureRgb,         PS13None,               PS13None,
        PS13None,          PS13OneMinusLocal,      PS13OneMinusOtherAlpha, PS13OneMinusLocalAlpha,
        PS13OneMinusTextureAlpha, PS13OneMinusTextureRgb,
    };
    return operands[factor];
}

// Codes 0 to 11 come in pairs (x, 1 - x).
uint32_t Complement(uint32_t operand)
{
    return operand ^ 1u;
}

struct PS13Tables {
    PS13Entry zero;
    PS13Entry local;
    PS13Entry localAlpha;
    PS13Entry empty;
    PS13Entry tables[kTableCount][kFactorCount];

    PS13Tables()
    {
        PS13Record a, filler;
        MakePS13Record(filler, PS13Unknown, PS13None, PS13None);
        MakePS13Entry(empty, 0, filler, filler, filler);
        MakePS13Entry(zero, 1, MakePS13Record(a, PS13MovSat, PS13Result, PS13Zero), filler, filler);
        MakePS13Entry(local, 1, MakePS13Record(a, PS13MovSat, PS13Result, PS13Local), filler, filler);
        MakePS13Entry(localAlpha, 1, MakePS13Record(a, PS13MovSat, PS13Result, PS13LocalAlpha), filler, filler);
        for (uint32_t t = 0; t < kTableCount; ++t) {
            for (uint32_t factor = 0; factor < kFactorCount; ++factor) {
                Fill(tables[t][factor], kTableFunctions[t], factor, filler);
            }
        }
    }

    void One(PS13Entry& entry, const PS13Record& record, const PS13Record& filler)
    {
        MakePS13Entry(entry, 1, record, filler, filler);
    }

    void Two(PS13Entry& entry, const PS13Record& first, const PS13Record& second, const PS13Record& filler)
    {
        MakePS13Entry(entry, 2, first, second, filler);
    }

    void Fill(PS13Entry& entry, uint32_t function, uint32_t factor, const PS13Record& filler)
    {
        PS13Record a, b;
        if (factor == 6 || factor == 7) {
            entry = empty;
            return;
        }
        const uint32_t f = FactorOperand(factor);
        // The signed difference other - local goes to the temporary without
        // saturation, so that a later add keeps Glide's sign.
        MakePS13Record(b, PS13Sub, PS13Temp, PS13Other, PS13Local);
        switch (function) {
        case 3:  // f * other
            if (factor == 0) {
                One(entry, MakePS13Record(a, PS13MovSat, PS13Result, PS13Zero), filler);
            } else if (factor == 8) {
                One(entry, MakePS13Record(a, PS13MovSat, PS13Result, PS13Other), filler);
            } else {
                One(entry, MakePS13Record(a, PS13MulSat, PS13Result, PS13Other, f), filler);
            }
            break;
        case 4:  // f * other + local
        case 5:  // f * other + local alpha
        {
            const uint32_t addend = function == 4 ? PS13Local : PS13LocalAlpha;
            if (factor == 0) {
                One(entry, MakePS13Record(a, PS13MovSat, PS13Result, addend), filler);
            } else if (factor == 8) {
                One(entry, MakePS13Record(a, PS13AddSat, PS13Result, PS13Other, addend), filler);
            } else {
                One(entry, MakePS13Record(a, PS13MadSat, PS13Result, f, PS13Other, addend), filler);
            }
            break;
        }
        case 6:  // f * (other - local)
            if (factor == 0) {
                One(entry, MakePS13Record(a, PS13MovSat, PS13Result, PS13Zero), filler);
            } else if (factor == 8) {
                One(entry, MakePS13Record(a, PS13SubSat, PS13Result, PS13Other, PS13Local), filler);
            } else {
                Two(entry, b, MakePS13Record(a, PS13MulSat, PS13Result, f, PS13Temp), filler);
            }
            break;
        case 7:  // f * (other - local) + local
            if (factor == 0) {
                One(entry, MakePS13Record(a, PS13MovSat, PS13Result, PS13Local), filler);
            } else if (factor == 8) {
                One(entry, MakePS13Record(a, PS13MovSat, PS13Result, PS13Other), filler);
            } else if (factor < 8) {
                One(entry, MakePS13Record(a, PS13LrpSat, PS13Result, f, PS13Other, PS13Local), filler);
            } else {
                One(entry, MakePS13Record(a, PS13LrpSat, PS13Result, Complement(f), PS13Local, PS13Other), filler);
            }
            break;
        case 8:  // f * (other - local) + local alpha
            if (factor == 0) {
                One(entry, MakePS13Record(a, PS13MovSat, PS13Result, PS13LocalAlpha), filler);
            } else if (factor == 8) {
                Two(entry, b, MakePS13Record(a, PS13AddSat, PS13Result, PS13LocalAlpha, PS13Temp), filler);
            } else {
                Two(entry, b, MakePS13Record(a, PS13MadSat, PS13Result, f, PS13Temp, PS13LocalAlpha), filler);
            }
            break;
        case 9:  // (1 - f) * local
            if (factor == 0) {
                One(entry, MakePS13Record(a, PS13MovSat, PS13Result, PS13Local), filler);
            } else if (factor == 8) {
                One(entry, MakePS13Record(a, PS13MovSat, PS13Result, PS13Zero), filler);
            } else {
                One(entry, MakePS13Record(a, PS13MulSat, PS13Result, PS13Local, Complement(f)), filler);
            }
            break;
        default:  // 16: local alpha - f * local
            if (factor == 0) {
                One(entry, MakePS13Record(a, PS13MovSat, PS13Result, PS13LocalAlpha), filler);
            } else if (factor == 8) {
                One(entry, MakePS13Record(a, PS13SubSat, PS13Result, PS13LocalAlpha, PS13Local), filler);
            } else {
                Two(entry, MakePS13Record(b, PS13MulSat, PS13Temp, PS13Local, f),
                    MakePS13Record(a, PS13SubSat, PS13Result, PS13LocalAlpha, PS13Temp), filler);
            }
            break;
        }
    }
};

// Filled by the library's static initialisation, read-only afterwards.
const PS13Tables ps13Tables;

}  // namespace

const PS13Entry& GetPS13Entry(uint32_t function, uint32_t factor)
{
    switch (function) {
    case 0:
        return ps13Tables.zero;
    case 1:
        return ps13Tables.local;
    case 2:
        return ps13Tables.localAlpha;
    default:
        break;
    }
    if (factor >= kFactorCount) {
        return ps13Tables.empty;
    }
    for (uint32_t t = 0; t < kTableCount; ++t) {
        if (kTableFunctions[t] == function) {
            return ps13Tables.tables[t][factor];
        }
    }
    return ps13Tables.empty;
}

}  // namespace zelk
