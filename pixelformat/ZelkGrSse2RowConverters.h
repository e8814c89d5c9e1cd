#pragma once

// SSE2 row paths of the per-rectangle converters for the texture-download
// pairs: the 8- and 16-bit layouts into A8R8G8B8 and X8R8G8B8, and A8R8G8B8
// and X8R8G8B8 into the 16-bit layouts.
//
// One generic body serves every pair.  Eight texels at a time are held as
// 16-bit lanes: one vector of words for a 1- or 2-byte texel, two (the low
// and the high word) for a 4-byte texel.  Each destination channel is the
// pair's channel rule done with shifts and masks: the source field's top bits
// moved to the destination field (the plain left shift or truncation of the
// rule), a 1-bit alpha widened to all ones, any alpha tested for non-zero
// into a 1-bit alpha.  The bit positions come from the same layout
// descriptions that TexelRule uses (the source decoders and the destination
// packers), and whatever the source lacks (fill colour, zero X fields) is
// TexelRule's own value of a texel whose channels are all zero.  So the
// result is that of TexelRule, bit for bit.
//
// A row runs the vector step over eight texels while eight remain, and the
// rest through the row walk's tail stages with TexelRule; loads and stores
// are unaligned and touch only the row's texels (an X8R8G8B8 destination
// whose X byte is kept is read and written back whole).  These functions
// carry their own instruction-set attribute; the rest of the library runs on
// processors without SSE2, and the per-rectangle members call them only when
// Sse2RowsAvailable() says so.
#include "pixelformat/ZelkGrPixelConverter.h"
#include "pixelformat/ZelkGrRowWalk.h"
#include "pixelformat/ZelkGrTexelConverters.h"

#include <d3d9.h>
#include <emmintrin.h>

#include <cstdint>
#include <initializer_list>

// Helpers built with SSE2, inlined into the entry points.
#define ZELK_SSE2_INLINE __attribute__((target("sse2"), always_inline)) inline
// Entry points built with SSE2.  They realign the stack: a caller outside the
// library may hold it at 4-byte alignment only.
#define ZELK_SSE2_ENTRY __attribute__((target("sse2"), force_align_arg_pointer, noinline))

namespace zelk {

// True when the processor runs SSE2 (identification leaf 1, EDX bit 26);
// detected on the first call and kept for the life of the process.
bool Sse2RowsAvailable();

namespace sse2_detail {

enum Channel : unsigned { kRed, kGreen, kBlue, kAlpha };

// A bit field of a texel word: lowest bit and width (0: absent).
struct Field {
    unsigned shift;
    unsigned width;
};

template <DWORD Format>
constexpr uint32_t DecodedChannel(uint32_t v, Channel channel) {
    const texel_detail::Channels c = texel_detail::Source<Format>::Decode(v, nullptr);
    return channel == kRed ? c.r : channel == kGreen ? c.g : channel == kBlue ? c.b : c.a;
}

template <DWORD Format>
constexpr unsigned SourceWidth(Channel channel) {
    using In = texel_detail::Source<Format>;
    return channel == kRed ? In::R : channel == kGreen ? In::G : channel == kBlue ? In::B : In::A;
}

// Where the source decoder takes a channel from: the lowest bit that decodes
// as 1.
template <DWORD Format>
constexpr Field SourceField(Channel channel) {
    const unsigned width = SourceWidth<Format>(channel);
    if (width != 0) {
        for (unsigned shift = 0; shift + width <= 32; ++shift) {
            if (DecodedChannel<Format>(1u << shift, channel) == 1) {
                return {shift, width};
            }
        }
    }
    return {0, 0};
}

template <DWORD Format>
constexpr Field DestinationField(Channel channel) {
    using Out = texel_detail::Destination<Format>;
    const unsigned width = channel == kRed     ? Out::R
                           : channel == kGreen ? Out::G
                           : channel == kBlue  ? Out::B
                                               : Out::A;
    if (width == 0) {
        return {0, 0};
    }
    const uint32_t one = Out::Pack(channel == kRed, channel == kGreen, channel == kBlue,
                                   channel == kAlpha);
    unsigned shift = 0;
    while (((one >> shift) & 1) == 0) {
        ++shift;
    }
    return {shift, width};
}

constexpr uint32_t FieldMask(Field field) {
    return ((field.width >= 32 ? 0u : 1u << field.width) - 1) << field.shift;
}

// True when the field lies within one 16-bit half of the word.
constexpr bool InOneWord(Field field) {
    return field.width == 0 || field.shift / 16 == (field.shift + field.width - 1) / 16;
}

// True when the source channel is exactly its field: the decoder gives the
// whole field for the field's bits and nothing for all the other bits.
template <DWORD Format>
constexpr bool IsPlainField(Channel channel) {
    const Field field = SourceField<Format>(channel);
    if (field.width == 0) {
        return SourceWidth<Format>(channel) == 0;
    }
    const uint32_t mask = FieldMask(field);
    return DecodedChannel<Format>(mask, channel) == (mask >> field.shift) &&
           DecodedChannel<Format>(~mask, channel) == 0 && InOneWord(field);
}

constexpr bool IsOneOf(DWORD format, std::initializer_list<DWORD> formats) {
    for (DWORD f : formats) {
        if (f == format) {
            return true;
        }
    }
    return false;
}

}  // namespace sse2_detail

// The pairs that have an SSE2 row path.
template <DWORD DestinationFormat, DWORD SourceFormat>
constexpr bool HasSse2RowPath() {
    using sse2_detail::IsOneOf;
    const bool narrowSource =
        IsOneOf(SourceFormat, {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,
                               D3DFMT_X4R4G4B4, D3DFMT_A8R3G3B2, D3DFMT_A8L8, D3DFMT_R3G3B2,
                               D3DFMT_A8, D3DFMT_L8, D3DFMT_A4L4});
    const bool into32 = IsOneOf(DestinationFormat, {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) && narrowSource;
    const bool into16 =
        (narrowSource || IsOneOf(SourceFormat, {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8})) &&
        IsOneOf(DestinationFormat, {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
                                    D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8R3G3B2});
    if (!(into32 || into16)) {
        return false;
    }
    // Pairs that keep the destination's fourth byte would have to read the
    // destination, which may be a locked video-memory surface: they stay on
    // the scalar path, which only reads the source.
    using Rule = TexelRule<DestinationFormat, SourceFormat>;
    return Rule::WriteBytes == Rule::Out::Size;
}

namespace sse2_detail {

// Eight texels as 16-bit lanes: word[0] holds bits 0-15 of each texel,
// word[1] bits 16-31 (4-byte texels only).
struct Words {
    __m128i word[2];
};

// The vector step of one pair.
template <DWORD DestinationFormat, DWORD SourceFormat>
struct Sse2Step {
    using Rule = TexelRule<DestinationFormat, SourceFormat>;
    using In = typename Rule::In;
    using Out = typename Rule::Out;

    static constexpr unsigned kTexels = 8;
    // Significant bits of a source lane: a 1-byte texel is widened with zeros.
    static constexpr unsigned kSourceLaneBits = In::Size == 1 ? 8 : 16;

    static_assert(In::Size == 1 || In::Size == 2 || In::Size == 4, "no 3-byte sources");
    static_assert(Out::Size == 2 || Out::Size == 4, "2- and 4-byte destinations");
    static_assert(Rule::WriteBytes == Out::Size, "whole destination texels");
    static_assert(IsPlainField<SourceFormat>(kRed) && IsPlainField<SourceFormat>(kGreen) &&
                      IsPlainField<SourceFormat>(kBlue) && IsPlainField<SourceFormat>(kAlpha),
                  "source channels are plain fields within one 16-bit word");
    static_assert(InOneWord(DestinationField<DestinationFormat>(kRed)) &&
                      InOneWord(DestinationField<DestinationFormat>(kGreen)) &&
                      InOneWord(DestinationField<DestinationFormat>(kBlue)) &&
                      InOneWord(DestinationField<DestinationFormat>(kAlpha)),
                  "destination fields within one 16-bit word");

    // The bits of a source channel that the rule reads (none for an alpha
    // the destination has no room for).
    static constexpr Field SourceOf(Channel channel) {
        if (DestinationField<DestinationFormat>(channel).width == 0) {
            return {0, 0};
        }
        if (channel == kAlpha && Rule::SourceAlpha == 0) {
            return {0, 0};
        }
        return SourceField<SourceFormat>(channel);
    }

    // True when some destination channel comes from the fill colour.
    static constexpr bool UsesFill() {
        for (Channel channel : {kRed, kGreen, kBlue, kAlpha}) {
            if (DestinationField<DestinationFormat>(channel).width != 0 &&
                SourceOf(channel).width == 0) {
                return true;
            }
        }
        return false;
    }

    ZELK_SSE2_INLINE static Words Load(const uint8_t* source) {
        Words words;
        if constexpr (In::Size == 1) {
            words.word[0] = _mm_unpacklo_epi8(
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source)), _mm_setzero_si128());
            words.word[1] = _mm_setzero_si128();
        } else if constexpr (In::Size == 2) {
            words.word[0] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
            words.word[1] = _mm_setzero_si128();
        } else {
            const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
            const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 16));
            // Sign-extended words pack back unchanged.
            words.word[0] = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(first, 16), 16),
                                            _mm_srai_epi32(_mm_slli_epi32(second, 16), 16));
            words.word[1] = _mm_packs_epi32(_mm_srai_epi32(first, 16), _mm_srai_epi32(second, 16));
        }
        return words;
    }

    // Bits From..From+Width-1 of each lane moved to To..To+Width-1, every
    // other bit zero.  The mask is left out where the shift alone clears the
    // other bits.
    template <unsigned From, unsigned To, unsigned Width>
    ZELK_SSE2_INLINE static __m128i MoveField(__m128i lanes) {
        static_assert(From + Width <= 16 && To + Width <= 16, "fields within a lane");
        // Bits below the field land below To (nothing when From is 0, or when
        // a right shift takes the field to bit 0); bits above it land above
        // (nothing when the field ends the lane, or a left shift takes it to
        // the top of the lane).
        constexpr bool clean =
            To >= From ? From == 0 && (From + Width >= kSourceLaneBits || To + Width == 16)
                       : To == 0 && From + Width >= kSourceLaneBits;
        __m128i moved = lanes;
        if constexpr (To > From) {
            moved = _mm_slli_epi16(lanes, To - From);
        } else if constexpr (To < From) {
            moved = _mm_srli_epi16(lanes, From - To);
        }
        if constexpr (clean) {
            return moved;
        } else {
            return _mm_and_si128(moved, _mm_set1_epi16(short(((1u << Width) - 1) << To)));
        }
    }

    // One destination channel from its source field, in the destination
    // word that holds it.
    template <Channel C>
    ZELK_SSE2_INLINE static void AddChannel(const Words& in, __m128i* out) {
        constexpr Field from = SourceOf(C);
        constexpr Field to = DestinationField<DestinationFormat>(C);
        if constexpr (from.width != 0 && to.width != 0) {
            const __m128i lanes = in.word[from.shift / 16];
            constexpr unsigned fromShift = from.shift % 16;
            constexpr unsigned toShift = to.shift % 16;
            __m128i value;
            if constexpr (C == kAlpha && to.width == 1) {
                // Any alpha is opaque in one bit.
                const __m128i alpha = _mm_and_si128(
                    lanes, _mm_set1_epi16(short(((1u << from.width) - 1) << fromShift)));
                value = _mm_andnot_si128(_mm_cmpeq_epi16(alpha, _mm_setzero_si128()),
                                         _mm_set1_epi16(short(1u << toShift)));
            } else if constexpr (C == kAlpha && from.width == 1) {
                // One bit widens to all ones.
                const __m128i top = fromShift == 15 ? lanes : _mm_slli_epi16(lanes, 15 - fromShift);
                value = _mm_and_si128(_mm_srai_epi16(top, 15),
                                      _mm_set1_epi16(short(((1u << to.width) - 1) << toShift)));
            } else {
                // The top bits, or the whole field shifted up with zero low bits.
                constexpr unsigned width = from.width < to.width ? from.width : to.width;
                value = MoveField<fromShift + (from.width - width), toShift + (to.width - width),
                                  width>(lanes);
            }
            __m128i& word = out[to.shift / 16];
            word = _mm_or_si128(word, value);
        }
    }

    // Converts eight texels.  fill holds the destination words of a texel
    // whose source channels are all zero.
    ZELK_SSE2_INLINE static void Convert(const uint8_t* source, uint8_t* destination,
                                         const Words& fill) {
        const Words in = Load(source);
        __m128i out[2];
        if constexpr (UsesFill()) {
            out[0] = fill.word[0];
            out[1] = fill.word[1];
        } else {
            out[0] = _mm_setzero_si128();
            out[1] = _mm_setzero_si128();
        }
        AddChannel<kBlue>(in, out);
        AddChannel<kGreen>(in, out);
        AddChannel<kRed>(in, out);
        AddChannel<kAlpha>(in, out);
        __m128i* const target = reinterpret_cast<__m128i*>(destination);
        if constexpr (Out::Size == 2) {
            _mm_storeu_si128(target, out[0]);
        } else {
            const __m128i first = _mm_unpacklo_epi16(out[0], out[1]);
            const __m128i second = _mm_unpackhi_epi16(out[0], out[1]);
            _mm_storeu_si128(target, first);
            _mm_storeu_si128(target + 1, second);
        }
    }

    ZELK_SSE2_INLINE static Words Fill(const TexelContext& context) {
        const uint8_t zeroTexel[4] = {};
        const uint32_t value = Rule::Value(context, zeroTexel);
        Words fill;
        fill.word[0] = _mm_set1_epi16(short(value & 0xFFFF));
        fill.word[1] = _mm_set1_epi16(short(value >> 16));
        return fill;
    }

    // One row: vector steps, then the tail stages with the texel rule.
    ZELK_SSE2_INLINE static void Row(const TexelContext& context, const Words& fill,
                                     const uint8_t* source, uint8_t* destination,
                                     unsigned count) {
        for (unsigned step = count / kTexels; step != 0; --step) {
            Convert(source, destination, fill);
            source += kTexels * In::Size;
            destination += kTexels * Out::Size;
        }
        rowwalk_detail::ConvertTail<In::Size, Out::Size, kTexels / 2>(
            count % kTexels, source, destination,
            [&context](const uint8_t* sourceTexel, uint8_t* destinationTexel) {
                Rule::Convert(context, sourceTexel, destinationTexel);
            });
    }
};

}  // namespace sse2_detail

// Converts `count` texels of one row with the SSE2 row path of the pair.
template <DWORD DestinationFormat, DWORD SourceFormat>
ZELK_SSE2_ENTRY void ConvertRowSse2(const TexelContext& context, const uint8_t* source,
                                    uint8_t* destination, unsigned count) {
    static_assert(HasSse2RowPath<DestinationFormat, SourceFormat>(), "a pair with an SSE2 path");
    using Step = sse2_detail::Sse2Step<DestinationFormat, SourceFormat>;
    Step::Row(context, Step::Fill(context), source, destination, count);
}

// The per-rectangle conversion of the pair with the SSE2 row path: the
// arguments and the result of the pair's ConvertRect member.
template <DWORD DestinationFormat, DWORD SourceFormat>
ZELK_SSE2_ENTRY void ConvertRectSse2(const ZelkGrPixelConverter* converter,
                                     const void* sourceBits, const RECT* sourceRect,
                                     int sourcePitch, void* destinationBits,
                                     const POINT* destinationPoint, int destinationPitch) {
    static_assert(HasSse2RowPath<DestinationFormat, SourceFormat>(), "a pair with an SSE2 path");
    using Step = sse2_detail::Sse2Step<DestinationFormat, SourceFormat>;
    rowwalk_detail::RectStart start;
    if (!rowwalk_detail::StartRect(sourceBits, sourceRect, sourcePitch, Step::In::Size,
                                   destinationBits, destinationPoint, destinationPitch,
                                   Step::Out::Size, &start)) {
        return;
    }
    const TexelContext context(converter);
    const sse2_detail::Words fill = Step::Fill(context);
    const uint8_t* sourceRow = start.source;
    uint8_t* destinationRow = start.destination;
    for (unsigned row = 0; row < start.height; ++row) {
        Step::Row(context, fill, sourceRow, destinationRow, start.width);
        sourceRow += sourcePitch;
        destinationRow += destinationPitch;
    }
}

}  // namespace zelk
