#include "platform/wmf/WmTypes.h"

#include <cctype>
#include <cstdio>

namespace wmf {

WM_MEDIA_TYPE WaveFormatMediaType(const WAVEFORMATEX& wave, const std::vector<BYTE>& codecData) {
    WAVEFORMATEX w = wave;
    w.cbSize = static_cast<WORD>(codecData.size());
    WM_MEDIA_TYPE t;
    t.majortype = WMMEDIATYPE_Audio;
    t.subtype = SubtypeOf(w.wFormatTag);
    t.bFixedSizeSamples = true;
    t.bTemporalCompression = false;
    t.lSampleSize = w.nBlockAlign;
    t.formattype = WMFORMAT_WaveFormatEx;
    WriteFormat(t, w);
    t.format.insert(t.format.end(), codecData.begin(), codecData.end());
    return t;
}

WM_MEDIA_TYPE VideoInfoMediaType(const VIDEOINFOHEADER& info) {
    WM_MEDIA_TYPE t;
    t.majortype = WMMEDIATYPE_Video;
    t.subtype = SubtypeOf(info.bmiHeader.biCompression);
    t.bFixedSizeSamples = false;
    t.bTemporalCompression = true;
    t.lSampleSize = 0;
    t.formattype = WMFORMAT_VideoInfo;
    WriteFormat(t, info);
    return t;
}

}  // namespace wmf
