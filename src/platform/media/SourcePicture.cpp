#include "platform/media/SourcePicture.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" {
#include <libavutil/display.h>
}

#include "platform/media/Internal.h"

namespace media::detail {
namespace {

// One matrix entry as -1, 0 or 1; 2 for anything else (a slant or a stretch).
int Unit(std::int32_t fixed16) {
    for (int unit : {-1, 0, 1})
        if (std::abs(fixed16 - unit * 65536) <= 64) return unit;
    return 2;
}

// The rotation an older file gives as a tag, in degrees clockwise.
enum class Tag { None, Quarter, Other };
Tag RotateTag(const AVStream& stream, int& degrees) {
    const AVDictionaryEntry* tag = av_dict_get(stream.metadata, "rotate", nullptr, 0);
    if (!tag) return Tag::None;
    char* end = nullptr;
    const long value = std::strtol(tag->value, &end, 10);
    if (end == tag->value || *end != '\0' || value % 90 != 0) return Tag::Other;
    degrees = static_cast<int>((value % 360 + 360) % 360);
    return Tag::Quarter;
}

// A turn clockwise by quarter turns, as the upright steps.
Turn TurnClockwise(int degrees) {
    switch (degrees) {
        case 90:
            return Turn{true, true, false};
        case 180:
            return Turn{false, true, true};
        case 270:
            return Turn{true, false, true};
        default:
            return Turn{};
    }
}

void ReadTurn(const AVStream& stream, SourcePicture& picture) {
    std::size_t size = 0;
    const std::uint8_t* data = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    int degrees = 0;
    const Tag tag = RotateTag(stream, degrees);
    if (data && size == 9 * sizeof(std::int32_t)) {
        std::int32_t matrix[9];
        std::memcpy(matrix, data, sizeof matrix);
        if (auto turn = TurnOfMatrix(matrix)) {
            picture.turn = *turn;
            // A tag that says otherwise than the matrix: the matrix is the newer word.
            if (tag == Tag::Quarter && !(TurnClockwise(degrees) == *turn))
                picture.notes.push_back(RunNoteKind::TurnDamaged);
        } else {
            picture.notes.push_back(RunNoteKind::TurnIgnored);
        }
        return;
    }
    if (data) picture.notes.push_back(RunNoteKind::TurnDamaged);
    if (tag == Tag::Quarter) picture.turn = TurnClockwise(degrees);
    if (tag == Tag::Other) picture.notes.push_back(RunNoteKind::TurnIgnored);
}

template <typename T>
std::optional<T> SideData(const std::uint8_t* data, std::size_t size) {
    if (!data || size < sizeof(T)) return std::nullopt;
    T value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

void TakeHdrData(SourcePicture& picture, const std::uint8_t* mastering, std::size_t masteringSize,
                 const std::uint8_t* light, std::size_t lightSize) {
    if (!picture.mastering)
        picture.mastering = SideData<AVMasteringDisplayMetadata>(mastering, masteringSize);
    if (!picture.light) picture.light = SideData<AVContentLightMetadata>(light, lightSize);
}

// The mastering data of the first picture, for HDR that states it only in the
// picture itself (SEI): a second reading of the file, so the source the run
// streams from is never moved.
void PeekFirstPicture(const std::string& path, const AVStream& stream, const AVCodec* codec,
                      SourcePicture& picture) {
    AVFormatContext* raw = nullptr;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int opened = avformat_open_input(&raw, FileUrl(path).c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) return;
    InputPtr input(raw);
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context || avcodec_parameters_to_context(context.get(), stream.codecpar) < 0 ||
        avcodec_open2(context.get(), codec, nullptr) < 0)
        return;
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!packet || !frame) return;
    // A picture comes within the first group of pictures; a file that has none
    // by then is not worth reading further for this.
    for (int read = 0; read < 600 && av_read_frame(input.get(), packet.get()) >= 0; ++read) {
        const bool ours = packet->stream_index == stream.index;
        if (ours) avcodec_send_packet(context.get(), packet.get());
        av_packet_unref(packet.get());
        if (!ours || avcodec_receive_frame(context.get(), frame.get()) < 0) continue;
        const AVFrameSideData* m =
            av_frame_get_side_data(frame.get(), AV_FRAME_DATA_MASTERING_DISPLAY_METADATA);
        const AVFrameSideData* l =
            av_frame_get_side_data(frame.get(), AV_FRAME_DATA_CONTENT_LIGHT_LEVEL);
        TakeHdrData(picture, m ? m->data : nullptr, m ? m->size : 0, l ? l->data : nullptr,
                    l ? l->size : 0);
        return;
    }
}

}  // namespace

std::optional<Turn> TurnOfMatrix(const std::int32_t matrix[9]) {
    // (x', y') = (a x + c y, b x + d y) on the screen, y pointing down.
    const int a = Unit(matrix[0]), b = Unit(matrix[1]), c = Unit(matrix[3]), d = Unit(matrix[4]);
    if (a == 2 || b == 2 || c == 2 || d == 2) return std::nullopt;
    if (b == 0 && c == 0 && a != 0 && d != 0) return Turn{false, a < 0, d < 0};
    if (a == 0 && d == 0 && b != 0 && c != 0) return Turn{true, c < 0, b < 0};
    return std::nullopt;
}

bool IsHdr(AVColorTransferCharacteristic transfer) {
    return transfer == AVCOL_TRC_SMPTE2084 || transfer == AVCOL_TRC_ARIB_STD_B67;
}

AVRational SourcePicture::uprightAspect() const {
    const AVRational square{1, 1};
    if (sampleAspect.num <= 0 || sampleAspect.den <= 0) return square;
    return turn.transpose ? av_inv_q(sampleAspect) : sampleAspect;
}

int SourcePicture::displayWidth() const {
    const AVRational aspect = uprightAspect();
    if (av_cmp_q(aspect, AVRational{1, 1}) == 0) return uprightWidth();
    const std::int64_t stretched = av_rescale(uprightWidth(), aspect.num, aspect.den);
    return static_cast<int>(std::max<std::int64_t>(2, (stretched + 1) & ~std::int64_t{1}));
}

SourcePicture ReadPicture(const std::string& path, AVFormatContext& source, AVStream& stream,
                          const AVCodecContext& decoder) {
    SourcePicture picture;
    picture.width = decoder.width;
    picture.height = decoder.height;
    const AVRational aspect = av_guess_sample_aspect_ratio(&source, &stream, nullptr);
    if (aspect.num > 0 && aspect.den > 0)
        av_reduce(&picture.sampleAspect.num, &picture.sampleAspect.den, aspect.num, aspect.den,
                  1 << 16);
    ReadTurn(stream, picture);
    const AVFieldOrder order = stream.codecpar->field_order;
    picture.interlaced = order != AV_FIELD_UNKNOWN && order != AV_FIELD_PROGRESSIVE;
    picture.colour = ColourTags{decoder.color_primaries, decoder.color_trc, decoder.colorspace,
                                decoder.color_range};
    if (!IsHdr(picture.colour.transfer)) return picture;
    std::size_t masteringSize = 0, lightSize = 0;
    const std::uint8_t* mastering =
        av_stream_get_side_data(&stream, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, &masteringSize);
    const std::uint8_t* light =
        av_stream_get_side_data(&stream, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, &lightSize);
    TakeHdrData(picture, mastering, masteringSize, light, lightSize);
    if (!picture.mastering && !picture.light)
        PeekFirstPicture(path, stream, decoder.codec, picture);
    return picture;
}

}  // namespace media::detail
