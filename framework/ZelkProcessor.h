#pragma once

#include <cstdint>

namespace zelk {

// Processor detection.  The first query runs the identification instruction
// (CPUID) and keeps what it finds for the life of the process.

// Query ids of QueryProcessor that have a name in this library.
enum ZelkProcessorQuery : std::uint32_t {
    kProcessorVendorCode = 0,    // 1 AMD, 2 Intel, 3 Cyrix, 4 Centaur, 0 other
    kProcessorModelCode = 1,
    kProcessorVendorString = 2,  // address of the 12-character vendor string
    kProcessorBrandString = 3,   // address of the 48-character brand string
    kProcessor3DNow = 26,
    kProcessorSse = 28,
    kProcessorSseUsable = 29,    // SSE reported and its instructions run
};

// EAX, EBX, ECX and EDX of one leaf of the identification instruction.
struct ZelkCpuidRegisters {
    std::uint32_t eax;
    std::uint32_t ebx;
    std::uint32_t ecx;
    std::uint32_t edx;
};

// Reads one leaf of the identification instruction into the registers;
// returns false, with the registers 0, when the instruction faulted.
using ZelkCpuidFunction = bool (*)(std::uint32_t leaf, ZelkCpuidRegisters& registers);

// The processor's own identification instruction, run under a guard against
// processor exceptions.
bool ReadCpuidInstruction(std::uint32_t leaf, ZelkCpuidRegisters& registers);

// Replaces the function through which detection reads the identification
// instruction (null restores ReadCpuidInstruction) and returns the previous
// one.  Takes effect at the next detection; see ResetProcessorDetection.
ZelkCpuidFunction SetCpuidFunction(ZelkCpuidFunction function);

// Clears the detection state kept by QueryProcessor, so that the next query
// detects the processor again (through the current identification function).
void ResetProcessorDetection();

// Runs the identification instruction and fills the detection state; returns
// 1, or -1 when the first identification instruction faults.
std::int32_t DetectProcessor();

// One fact about the processor by query id: a number, a flag 0 or 1, or for
// ids 2 and 3 the address of a zero-terminated string.  Detects the processor
// on the first call; every query gives 0 when the identification instruction
// faulted.
std::uintptr_t QueryProcessor(std::uint32_t queryId);

// True when the processor reports the 3DNow! extension.
bool Has3DNow();

}  // namespace zelk
