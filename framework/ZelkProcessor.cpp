#include "framework/ZelkProcessor.h"

#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <iterator>

#if !defined(__i386__) && !defined(__x86_64__)
#error "The identification and SSE probes are written for x86."
#endif

// The two guarded probes, in assembly so that the address of the one
// instruction that may fault and the place to resume at are known.  When the
// instruction raises a processor exception (an invalid opcode: no CPUID on a
// very old processor, or SSE instructions not enabled by the operating
// system), the vectored handler below moves execution to the resume label,
// which makes the probe return 0.
//
// int zelkGuardedCpuid(uint32_t leaf, uint32_t registers[4]): CPUID with
// sub-leaf 0; stores EAX, EBX, ECX, EDX and returns 1, or 0 when it faulted.
// int zelkGuardedSseProbe(): ORPS of XMM0 with itself; 1, or 0 when it faulted.
extern "C" {
int zelkGuardedCpuid(std::uint32_t leaf, std::uint32_t* registers);
int zelkGuardedSseProbe();
extern const char zelkGuardedCpuidFault[];
extern const char zelkGuardedCpuidResume[];
extern const char zelkGuardedSseProbeFault[];
extern const char zelkGuardedSseProbeResume[];
}

#if defined(__i386__)
// cdecl: the arguments on the stack; C names carry a leading underscore.
__asm__(
    "    .text\n"
    "    .p2align 4\n"
    "_zelkGuardedCpuid:\n"
    "    pushl %ebx\n"
    "    pushl %edi\n"
    "    movl 12(%esp), %eax\n"
    "    movl 16(%esp), %edi\n"
    "    xorl %ecx, %ecx\n"
    "_zelkGuardedCpuidFault:\n"
    "    cpuid\n"
    "    movl %eax, 0(%edi)\n"
    "    movl %ebx, 4(%edi)\n"
    "    movl %ecx, 8(%edi)\n"
    "    movl %edx, 12(%edi)\n"
    "    movl $1, %eax\n"
    "    popl %edi\n"
    "    popl %ebx\n"
    "    ret\n"
    "_zelkGuardedCpuidResume:\n"
    "    xorl %eax, %eax\n"
    "    popl %edi\n"
    "    popl %ebx\n"
    "    ret\n"
    "    .p2align 4\n"
    "_zelkGuardedSseProbe:\n"
    "    movl $1, %eax\n"
    "_zelkGuardedSseProbeFault:\n"
    "    orps %xmm0, %xmm0\n"
    "    ret\n"
    "_zelkGuardedSseProbeResume:\n"
    "    xorl %eax, %eax\n"
    "    ret\n");
#else
// The 64-bit Windows convention: the leaf in ECX, the registers' address in
// RDX; RBX belongs to the caller.
__asm__(
    "    .text\n"
    "    .p2align 4\n"
    "zelkGuardedCpuid:\n"
    "    pushq %rbx\n"
    "    movl %ecx, %eax\n"
    "    movq %rdx, %r8\n"
    "    xorl %ecx, %ecx\n"
    "zelkGuardedCpuidFault:\n"
    "    cpuid\n"
    "    movl %eax, 0(%r8)\n"
    "    movl %ebx, 4(%r8)\n"
    "    movl %ecx, 8(%r8)\n"
    "    movl %edx, 12(%r8)\n"
    "    movl $1, %eax\n"
    "    popq %rbx\n"
    "    ret\n"
    "zelkGuardedCpuidResume:\n"
    "    xorl %eax, %eax\n"
    "    popq %rbx\n"
    "    ret\n"
    "    .p2align 4\n"
    "zelkGuardedSseProbe:\n"
    "    movl $1, %eax\n"
    "zelkGuardedSseProbeFault:\n"
    "    orps %xmm0, %xmm0\n"
    "    ret\n"
    "zelkGuardedSseProbeResume:\n"
    "    xorl %eax, %eax\n"
    "    ret\n");
#endif

namespace zelk {

namespace {

struct GuardedInstruction {
    const void* fault;
    const void* resume;
};

const GuardedInstruction kGuardedInstructions[] = {
    {zelkGuardedCpuidFault, zelkGuardedCpuidResume},
    {zelkGuardedSseProbeFault, zelkGuardedSseProbeResume},
};

// Resumes after a guarded instruction that raised an exception; leaves every
// other exception to the handlers after it.
LONG CALLBACK SkipGuardedInstruction(EXCEPTION_POINTERS* exception)
{
    const void* const address = exception->ExceptionRecord->ExceptionAddress;
    for (const GuardedInstruction& guarded : kGuardedInstructions) {
        if (address == guarded.fault) {
#if defined(__i386__)
            exception->ContextRecord->Eip = reinterpret_cast<DWORD>(guarded.resume);
#else
            exception->ContextRecord->Rip = reinterpret_cast<DWORD64>(guarded.resume);
#endif
            return EXCEPTION_CONTINUE_EXECUTION;
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// Keeps the handler installed for the length of one probe.
class ProbeGuard {
public:
    ProbeGuard() : handler_(AddVectoredExceptionHandler(1, &SkipGuardedInstruction)) {}
    ~ProbeGuard()
    {
        if (handler_ != nullptr) {
            RemoveVectoredExceptionHandler(handler_);
        }
    }
    ProbeGuard(const ProbeGuard&) = delete;
    ProbeGuard& operator=(const ProbeGuard&) = delete;

private:
    PVOID handler_;
};

const std::uint32_t kLeafVendor = 0;
const std::uint32_t kLeafSignature = 1;
const std::uint32_t kLeafHighestExtended = 0x80000000u;
const std::uint32_t kLeafExtendedFeatures = 0x80000001u;
const std::uint32_t kLeafBrandFirst = 0x80000002u;
const std::uint32_t kLeafBrandLast = 0x80000004u;
const std::uint32_t kLeafLevel1 = 0x80000005u;
const std::uint32_t kLeafLevel2 = 0x80000006u;

const std::uint32_t kVendorAmd = 1;

struct VendorName {
    const char* name;
    std::uint32_t code;
};

const VendorName kVendorNames[] = {
    {"AuthenticAMD", kVendorAmd},
    {"GenuineIntel", 2},
    {"CyrixInstead", 3},
    {"CentaurHauls", 4},
};

// Model codes by vendor code, family and a range of models.
struct ModelCode {
    std::uint32_t vendor;
    std::uint32_t family;
    std::uint32_t firstModel;
    std::uint32_t lastModel;
    std::uint32_t code;
};

const std::uint32_t kAmdFamily6Code = 6;

const ModelCode kModelCodes[] = {
    {1, 4, 0, 15, 1},
    {1, 5, 0, 3, 2},
    {1, 5, 4, 7, 3},
    {1, 5, 8, 8, 4},
    {1, 5, 9, 15, 5},
    {1, 6, 0, 15, kAmdFamily6Code},
    {2, 4, 0, 1, 7},
    {2, 4, 2, 2, 8},
    {2, 4, 3, 3, 9},
    {2, 4, 4, 4, 10},
    {2, 4, 5, 5, 11},
    {2, 4, 7, 7, 12},
    {2, 4, 8, 8, 13},
    {2, 5, 1, 3, 14},
    {2, 5, 4, 4, 15},
    {2, 6, 1, 1, 16},
    {2, 6, 3, 3, 17},
    {2, 6, 5, 5, 17},
    {2, 6, 6, 6, 18},
    {2, 6, 7, 7, 19},
};

// The process-wide detection state; every item detection does not fill
// stays 0.
struct DetectionState {
    std::int32_t result;  // 0 not yet run, 1 run, -1 identification faulted
    char vendor[13];
    char brand[49];
    std::uint32_t signature;
    std::uint32_t standardFeatures;
    std::uint32_t extendedFeatures;
    ZelkCpuidRegisters level1;
    ZelkCpuidRegisters level2;
};

DetectionState g_state = {};
ZelkCpuidFunction g_readCpuid = &ReadCpuidInstruction;

// Cache and translation-buffer figures of ids 30 to 57 (AMD only): a field of
// a register of leaf 0x80000005 or 0x80000006.
enum CacheRegister { kL1Eax, kL1Ebx, kL1Ecx, kL1Edx, kL2Eax, kL2Ebx, kL2Ecx };

struct CacheField {
    CacheRegister source;
    unsigned shift;
    std::uint32_t mask;
    bool family6Only;  // only when the model code is 6
};

const std::uint32_t kFirstCacheQuery = 30;

const CacheField kCacheFields[] = {
    {kL1Ebx, 24, 0xFF, false}, {kL1Ebx, 16, 0xFF, false}, {kL1Ebx, 8, 0xFF, false}, {kL1Ebx, 0, 0xFF, false},
    {kL1Eax, 24, 0xFF, true}, {kL1Eax, 16, 0xFF, true}, {kL1Eax, 8, 0xFF, true}, {kL1Eax, 0, 0xFF, true},
    {kL1Ecx, 24, 0xFF, false}, {kL1Ecx, 16, 0xFF, false}, {kL1Ecx, 8, 0xFF, false}, {kL1Ecx, 0, 0xFF, false},
    {kL1Edx, 24, 0xFF, false}, {kL1Edx, 16, 0xFF, false}, {kL1Edx, 8, 0xFF, false}, {kL1Edx, 0, 0xFF, false},
    {kL2Ecx, 16, 0xFFFF, false}, {kL2Ecx, 12, 0xF, false}, {kL2Ecx, 8, 0xF, false}, {kL2Ecx, 0, 0xFF, false},
    {kL2Eax, 28, 0xF, true}, {kL2Eax, 16, 0xFFF, true}, {kL2Eax, 12, 0xF, true}, {kL2Eax, 0, 0xFFF, true},
    {kL2Ebx, 28, 0xF, true}, {kL2Ebx, 16, 0xFFF, true}, {kL2Ebx, 12, 0xF, true}, {kL2Ebx, 0, 0xFFF, true},
};

ZelkCpuidRegisters ReadLeaf(std::uint32_t leaf)
{
    ZelkCpuidRegisters registers = {};
    if (!g_readCpuid(leaf, registers)) {
        registers = ZelkCpuidRegisters{};
    }
    return registers;
}

bool Bit(std::uint32_t value, unsigned bit)
{
    return ((value >> bit) & 1) != 0;
}

std::uint32_t VendorCode()
{
    for (const VendorName& vendor : kVendorNames) {
        if (std::memcmp(g_state.vendor, vendor.name, 12) == 0) {
            return vendor.code;
        }
    }
    return 0;
}

std::uint32_t ModelCodeOf(std::uint32_t vendor)
{
    const std::uint32_t family = (g_state.signature >> 8) & 0xF;
    const std::uint32_t model = (g_state.signature >> 4) & 0xF;
    for (const ModelCode& entry : kModelCodes) {
        if (entry.vendor == vendor && entry.family == family && model >= entry.firstModel &&
            model <= entry.lastModel) {
            return entry.code;
        }
    }
    return 0;
}

std::uint32_t CacheRegisterValue(CacheRegister source)
{
    switch (source) {
    case kL1Eax: return g_state.level1.eax;
    case kL1Ebx: return g_state.level1.ebx;
    case kL1Ecx: return g_state.level1.ecx;
    case kL1Edx: return g_state.level1.edx;
    case kL2Eax: return g_state.level2.eax;
    case kL2Ebx: return g_state.level2.ebx;
    case kL2Ecx: return g_state.level2.ecx;
    }
    return 0;
}

std::uint32_t CacheQuery(std::uint32_t queryId)
{
    const std::uint32_t vendor = VendorCode();
    if (vendor != kVendorAmd) {
        return 0;
    }
    const CacheField& field = kCacheFields[queryId - kFirstCacheQuery];
    if (field.family6Only && ModelCodeOf(vendor) != kAmdFamily6Code) {
        return 0;
    }
    return (CacheRegisterValue(field.source) >> field.shift) & field.mask;
}

// Copies the characters that registers carry, four per register, lowest
// byte first.
void StoreCharacters(char* text, std::initializer_list<std::uint32_t> registers)
{
    for (std::uint32_t value : registers) {
        std::memcpy(text, &value, sizeof value);
        text += sizeof value;
    }
}

}  // namespace

bool ReadCpuidInstruction(std::uint32_t leaf, ZelkCpuidRegisters& registers)
{
    std::uint32_t values[4] = {};
    int ran;
    {
        ProbeGuard guard;
        ran = zelkGuardedCpuid(leaf, values);
    }
    registers = ran ? ZelkCpuidRegisters{values[0], values[1], values[2], values[3]} : ZelkCpuidRegisters{};
    return ran != 0;
}

ZelkCpuidFunction SetCpuidFunction(ZelkCpuidFunction function)
{
    const ZelkCpuidFunction previous = g_readCpuid;
    g_readCpuid = function != nullptr ? function : &ReadCpuidInstruction;
    return previous;
}

void ResetProcessorDetection()
{
    g_state = DetectionState{};
}

std::int32_t DetectProcessor()
{
    const std::int32_t result = g_state.result;
    g_state = DetectionState{};
    g_state.result = result;

    ZelkCpuidRegisters vendor = {};
    if (!g_readCpuid(kLeafVendor, vendor)) {
        return -1;
    }
    StoreCharacters(g_state.vendor, {vendor.ebx, vendor.edx, vendor.ecx});
    if (vendor.eax == 0) {
        return 1;
    }

    const ZelkCpuidRegisters signature = ReadLeaf(kLeafSignature);
    g_state.signature = signature.eax;
    g_state.standardFeatures = signature.edx;

    const std::uint32_t highestExtended = ReadLeaf(kLeafHighestExtended).eax;
    if (highestExtended < kLeafExtendedFeatures) {
        return 1;
    }
    if (highestExtended >= kLeafBrandLast) {
        if (highestExtended >= kLeafLevel1) {
            if (highestExtended >= kLeafLevel2) {
                g_state.level2 = ReadLeaf(kLeafLevel2);
            }
            g_state.level1 = ReadLeaf(kLeafLevel1);
        }
        for (std::uint32_t leaf = kLeafBrandFirst; leaf <= kLeafBrandLast; ++leaf) {
            const ZelkCpuidRegisters brand = ReadLeaf(leaf);
            char* const part = g_state.brand + 16 * (leaf - kLeafBrandFirst);
            StoreCharacters(part, {brand.eax, brand.ebx, brand.ecx, brand.edx});
        }
    }
    g_state.extendedFeatures = ReadLeaf(kLeafExtendedFeatures).edx;
    return 1;
}

std::uintptr_t QueryProcessor(std::uint32_t queryId)
{
    if (g_state.result == 0) {
        g_state.result = DetectProcessor();
    }
    if (g_state.result == -1) {
        return 0;
    }
    const std::uint32_t standard = g_state.standardFeatures;
    const std::uint32_t extended = g_state.extendedFeatures;
    if (queryId >= 5 && queryId <= 14) {
        return Bit(standard, queryId - 5);
    }
    if (queryId >= 15 && queryId <= 21) {
        return Bit(standard, queryId - 4);
    }
    if (queryId >= kFirstCacheQuery && queryId < kFirstCacheQuery + std::size(kCacheFields)) {
        return CacheQuery(queryId);
    }
    switch (queryId) {
    case kProcessorVendorCode: return VendorCode();
    case kProcessorModelCode: return ModelCodeOf(VendorCode());
    case kProcessorVendorString: return reinterpret_cast<std::uintptr_t>(g_state.vendor);
    case kProcessorBrandString: return reinterpret_cast<std::uintptr_t>(g_state.brand);
    case 4: return 1;
    case 22: return Bit(standard, 25) || Bit(extended, 22);
    case 23: return Bit(standard, 23);
    case 24: return Bit(standard, 24);
    case 25: return Bit(extended, 30);
    case kProcessor3DNow: return Bit(extended, 31);
    case 27: return Bit(extended, 22);
    case kProcessorSse: return Bit(standard, 25);
    case kProcessorSseUsable: {
        if (!Bit(standard, 25)) {
            return 0;
        }
        ProbeGuard guard;
        return zelkGuardedSseProbe() != 0;
    }
    default: return 0;
    }
}

bool Has3DNow()
{
    return QueryProcessor(kProcessor3DNow) != 0;
}

}  // namespace zelk
