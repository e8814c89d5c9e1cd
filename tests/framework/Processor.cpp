// Processor detection, through processors that the tests make up behind the
// identification function, and once on the real processor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/ZelkProcessor.h"

using zelk::QueryProcessor;
using zelk::ZelkCpuidRegisters;

namespace {

const std::uint32_t kLeafSignature = 1;
const std::uint32_t kLeafHighestExtended = 0x80000000u;
const std::uint32_t kLeafExtendedFeatures = 0x80000001u;
const std::uint32_t kLeafLevel1 = 0x80000005u;
const std::uint32_t kLeafLevel2 = 0x80000006u;
const char* const kBrand = "AMD-K7(tm) Processor with a forty-eight char nm";

std::uint32_t Characters(const char* text)
{
    std::uint32_t value = 0;
    std::memcpy(&value, text, sizeof value);
    return value;
}

// A made-up processor: what each leaf answers.  Leaves beyond the highest ones
// it reports are filled too, so that reading them shows.
struct FakeProcessor {
    FakeProcessor(const char* vendor, std::uint32_t family, std::uint32_t model, std::uint32_t highestStandard = 1,
        std::uint32_t highestExtended = 0x80000006u)
    {
        leaves[0] = {highestStandard, Characters(vendor), Characters(vendor + 8), Characters(vendor + 4)};
        leaves[kLeafSignature] = {(family << 8) | (model << 4), 0, 0, 0};
        leaves[kLeafHighestExtended] = {highestExtended, 0, 0, 0};
        leaves[kLeafExtendedFeatures] = {0, 0, 0, 0};
        for (std::uint32_t i = 0; i < 3; ++i) {
            const char* part = kBrand + 16 * i;
            leaves[0x80000002u + i] = {
                Characters(part), Characters(part + 4), Characters(part + 8), Characters(part + 12)};
        }
        leaves[kLeafLevel1] = {0x11223344u, 0x55667788u, 0x99AABBCCu, 0xDDEEFF01u};
        leaves[kLeafLevel2] = {0x12345678u, 0x9ABCDEF0u, 0x0246813Fu, 0};
    }

    void SetFeatures(std::uint32_t standard, std::uint32_t extended)
    {
        leaves[kLeafSignature].edx = standard;
        leaves[kLeafExtendedFeatures].edx = extended;
    }

    std::map<std::uint32_t, ZelkCpuidRegisters> leaves;
    bool faults = false;
    int reads = 0;
};

FakeProcessor* g_processor = nullptr;

bool ReadFakeCpuid(std::uint32_t leaf, ZelkCpuidRegisters& registers)
{
    ++g_processor->reads;
    registers = ZelkCpuidRegisters{};
    if (g_processor->faults) {
        return false;
    }
    const auto found = g_processor->leaves.find(leaf);
    if (found != g_processor->leaves.end()) {
        registers = found->second;
    }
    return true;
}

std::string TextOf(std::uint32_t queryId)
{
    return reinterpret_cast<const char*>(QueryProcessor(queryId));
}

class ProcessorTest : public testing::Test {
protected:
    // Detection runs afresh on the processor given.
    void Present(FakeProcessor& processor)
    {
        g_processor = &processor;
        zelk::SetCpuidFunction(&ReadFakeCpuid);
        zelk::ResetProcessorDetection();
    }

    void TearDown() override
    {
        zelk::SetCpuidFunction(nullptr);
        zelk::ResetProcessorDetection();
        g_processor = nullptr;
    }
};

}  // namespace

TEST_F(ProcessorTest, VendorCodes)
{
    const std::pair<const char*, std::uintptr_t> vendors[] = {
        {"AuthenticAMD", 1}, {"GenuineIntel", 2}, {"CyrixInstead", 3}, {"CentaurHauls", 4}, {"GenuineTMx86", 0},
        {"AuthenticAMd", 0},
    };
    for (const auto& vendor : vendors) {
        SCOPED_TRACE(vendor.first);
        FakeProcessor processor(vendor.first, 6, 0);
        Present(processor);
        EXPECT_EQ(QueryProcessor(zelk::kProcessorVendorCode), vendor.second);
        EXPECT_EQ(TextOf(zelk::kProcessorVendorString), vendor.first);
    }
}

TEST_F(ProcessorTest, ModelCodes)
{
    struct Case {
        const char* vendor;
        std::uint32_t family;
        std::uint32_t model;
        std::uintptr_t code;
    };
    const Case cases[] = {
        {"AuthenticAMD", 4, 0, 1}, {"AuthenticAMD", 4, 15, 1}, {"AuthenticAMD", 5, 0, 2}, {"AuthenticAMD", 5, 3, 2},
        {"AuthenticAMD", 5, 4, 3}, {"AuthenticAMD", 5, 7, 3}, {"AuthenticAMD", 5, 8, 4}, {"AuthenticAMD", 5, 9, 5},
        {"AuthenticAMD", 5, 15, 5}, {"AuthenticAMD", 6, 2, 6}, {"AuthenticAMD", 15, 1, 0}, {"AuthenticAMD", 3, 0, 0},
        {"GenuineIntel", 4, 0, 7}, {"GenuineIntel", 4, 1, 7}, {"GenuineIntel", 4, 2, 8}, {"GenuineIntel", 4, 3, 9},
        {"GenuineIntel", 4, 4, 10}, {"GenuineIntel", 4, 5, 11}, {"GenuineIntel", 4, 6, 0}, {"GenuineIntel", 4, 7, 12},
        {"GenuineIntel", 4, 8, 13}, {"GenuineIntel", 4, 9, 0}, {"GenuineIntel", 5, 0, 0}, {"GenuineIntel", 5, 1, 14},
        {"GenuineIntel", 5, 3, 14}, {"GenuineIntel", 5, 4, 15}, {"GenuineIntel", 5, 5, 0}, {"GenuineIntel", 6, 0, 0},
        {"GenuineIntel", 6, 1, 16}, {"GenuineIntel", 6, 2, 0}, {"GenuineIntel", 6, 3, 17}, {"GenuineIntel", 6, 4, 0},
        {"GenuineIntel", 6, 5, 17}, {"GenuineIntel", 6, 6, 18}, {"GenuineIntel", 6, 7, 19}, {"GenuineIntel", 6, 8, 0},
        {"GenuineIntel", 15, 2, 0}, {"CyrixInstead", 5, 4, 0}, {"CentaurHauls", 6, 6, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.vendor) + " family " + std::to_string(c.family) + " model " +
            std::to_string(c.model));
        FakeProcessor processor(c.vendor, c.family, c.model);
        Present(processor);
        EXPECT_EQ(QueryProcessor(zelk::kProcessorModelCode), c.code);
    }
}

TEST_F(ProcessorTest, DetectionStopsAtTheHighestLeaves)
{
    struct Case {
        std::uint32_t highestStandard;
        std::uint32_t highestExtended;
        bool standardRead;
        bool extendedRead;
        bool brandRead;
        bool level1Read;
        bool level2Read;
    };
    const Case cases[] = {
        {0, 0x80000006u, false, false, false, false, false},  // only the vendor
        {1, 0x00000002u, true, false, false, false, false},   // no extended leaves
        {1, 0x80000000u, true, false, false, false, false},
        {1, 0x80000001u, true, true, false, false, false},
        {1, 0x80000003u, true, true, false, false, false},
        {1, 0x80000004u, true, true, true, false, false},
        {1, 0x80000005u, true, true, true, true, false},
        {1, 0x80000006u, true, true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "highest leaves " << c.highestStandard << ", " << std::hex
                                        << c.highestExtended);
        FakeProcessor processor("AuthenticAMD", 6, 4, c.highestStandard, c.highestExtended);
        processor.SetFeatures(1u << 23, 1u << 31);  // MMX, 3DNow!
        Present(processor);
        EXPECT_EQ(zelk::DetectProcessor(), 1);
        EXPECT_EQ(TextOf(zelk::kProcessorVendorString), "AuthenticAMD");
        EXPECT_EQ(QueryProcessor(1) != 0, c.standardRead);
        EXPECT_EQ(QueryProcessor(23), c.standardRead ? 1u : 0u);
        EXPECT_EQ(QueryProcessor(zelk::kProcessor3DNow), c.extendedRead ? 1u : 0u);
        EXPECT_EQ(zelk::Has3DNow(), c.extendedRead);
        EXPECT_EQ(TextOf(zelk::kProcessorBrandString), c.brandRead ? kBrand : "");
        EXPECT_EQ(QueryProcessor(30), c.level1Read ? 0x55u : 0u);
        EXPECT_EQ(QueryProcessor(46), c.level2Read ? 0x0246u : 0u);
    }
}

TEST_F(ProcessorTest, FeatureBits)
{
    // Each standard and extended bit alone, against every feature query.
    std::map<std::pair<int, unsigned>, std::vector<std::uint32_t>> idsOfBit;
    for (unsigned bit = 0; bit <= 9; ++bit) {
        idsOfBit[{0, bit}] = {5 + bit};
    }
    for (unsigned bit = 11; bit <= 17; ++bit) {
        idsOfBit[{0, bit}] = {bit + 4};
    }
    idsOfBit[{0, 23}] = {23};
    idsOfBit[{0, 24}] = {24};
    idsOfBit[{0, 25}] = {22, 28, 29};  // 29: the probe runs on this SSE machine
    idsOfBit[{1, 22}] = {22, 27};
    idsOfBit[{1, 30}] = {25};
    idsOfBit[{1, 31}] = {26};
    for (int extended = 0; extended <= 1; ++extended) {
        for (unsigned bit = 0; bit < 32; ++bit) {
            SCOPED_TRACE(testing::Message() << (extended ? "extended" : "standard") << " bit " << bit);
            FakeProcessor processor("AuthenticAMD", 6, 4);
            processor.SetFeatures(extended ? 0 : 1u << bit, extended ? 1u << bit : 0);
            Present(processor);
            const std::vector<std::uint32_t>& expected = idsOfBit[{extended, bit}];
            for (std::uint32_t id = 5; id <= 29; ++id) {
                const bool set = std::find(expected.begin(), expected.end(), id) != expected.end();
                EXPECT_EQ(QueryProcessor(id), set ? 1u : 0u) << "id " << id;
            }
        }
    }
}

TEST_F(ProcessorTest, CacheFiguresOnlyForAmd)
{
    // Leaf 0x80000005: EAX 11223344, EBX 55667788, ECX 99AABBCC, EDX DDEEFF01;
    // leaf 0x80000006: EAX 12345678, EBX 9ABCDEF0, ECX 0246813F.
    const std::uintptr_t family6[] = {
        0x55, 0x66, 0x77, 0x88, 0x11, 0x22, 0x33, 0x44, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE,
        0xFF, 0x01, 0x0246, 0x8, 0x1, 0x3F, 0x1, 0x234, 0x5, 0x678, 0x9, 0xABC, 0xD, 0xEF0,
    };
    const auto onlyFamily6 = [](std::uint32_t id) { return (id >= 34 && id <= 37) || id >= 50; };
    struct Case {
        const char* vendor;
        std::uint32_t family;
    };
    for (const Case& c : {Case{"AuthenticAMD", 6}, Case{"AuthenticAMD", 5}, Case{"GenuineIntel", 6},
             Case{"CyrixInstead", 6}, Case{"CentaurHauls", 6}, Case{"GenuineTMx86", 6}}) {
        SCOPED_TRACE(testing::Message() << c.vendor << " family " << c.family);
        FakeProcessor processor(c.vendor, c.family, 4);
        Present(processor);
        const bool amd = std::string(c.vendor) == "AuthenticAMD";
        for (std::uint32_t id = 30; id <= 57; ++id) {
            const bool shown = amd && (c.family == 6 || !onlyFamily6(id));
            EXPECT_EQ(QueryProcessor(id), shown ? family6[id - 30] : 0u) << "id " << id;
        }
        EXPECT_EQ(QueryProcessor(58), 0u);
        EXPECT_EQ(QueryProcessor(0xFFFFFFFFu), 0u);
    }
}

TEST_F(ProcessorTest, DetectionRunsOnceAndRemembersAFault)
{
    FakeProcessor processor("AuthenticAMD", 6, 4);
    processor.SetFeatures(1u << 23, 1u << 31);
    Present(processor);
    EXPECT_TRUE(zelk::Has3DNow());
    const int reads = processor.reads;
    processor.SetFeatures(0, 0);
    EXPECT_TRUE(zelk::Has3DNow());
    EXPECT_EQ(QueryProcessor(23), 1u);
    EXPECT_EQ(processor.reads, reads);

    processor.faults = true;
    processor.reads = 0;
    zelk::ResetProcessorDetection();
    EXPECT_EQ(zelk::DetectProcessor(), -1);
    for (std::uint32_t id = 0; id <= 60; ++id) {
        EXPECT_EQ(QueryProcessor(id), 0u) << "id " << id;
    }
    EXPECT_FALSE(zelk::Has3DNow());
    // DetectProcessor above, then the first query; later queries do not try
    // again.
    EXPECT_EQ(processor.reads, 2);
}

TEST_F(ProcessorTest, RealProcessor)
{
    ZelkCpuidRegisters leaf0 = {};
    ASSERT_TRUE(zelk::ReadCpuidInstruction(0, leaf0));
    char vendor[13] = {};
    std::memcpy(vendor, &leaf0.ebx, 4);
    std::memcpy(vendor + 4, &leaf0.edx, 4);
    std::memcpy(vendor + 8, &leaf0.ecx, 4);

    EXPECT_EQ(zelk::DetectProcessor(), 1);
    EXPECT_EQ(TextOf(zelk::kProcessorVendorString), vendor);
    EXPECT_EQ(QueryProcessor(4), 1u);
    // Every x86 processor these tests run on has SSE, so the guarded probe
    // instruction really runs here.
    EXPECT_EQ(QueryProcessor(zelk::kProcessorSse), 1u);
    EXPECT_EQ(QueryProcessor(zelk::kProcessorSseUsable), 1u);
    EXPECT_EQ(QueryProcessor(23), 1u);
}
