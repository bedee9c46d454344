// Profile text, written: the XML form the reader beside it takes back, every
// number and FOURCC spelled so that it reads as the same value.
#include <cctype>
#include <cstdio>
#include <string>

#include "platform/wmf/WmfInternal.h"

namespace wmf::detail {
namespace {

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '"': out += "&quot;"; break;
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Format(const char* format, auto... values) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format, values...);
    return buffer;
}

std::string RectText(const char* name, const RECT& r) {
    return Format("        <%s left=\"%d\" top=\"%d\" right=\"%d\" bottom=\"%d\"/>\n", name, r.left,
                  r.top, r.right, r.bottom);
}

// As its characters when the reader takes them as such (letters and digits, not
// starting with a digit, which would read as a number), else as a number.
std::string FourccText(DWORD fourcc) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((fourcc >> (8 * i)) & 0xFF);
    if (std::isdigit(static_cast<unsigned char>(s[0]))) return std::to_string(fourcc);
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) return std::to_string(fourcc);
    return s;
}

}  // namespace

HRESULT WriteProfile(const WMProfile& profile, std::string& text) {
    DWORD version = 0, count = 0;
    std::string name, description;
    profile.GetVersion(version);
    profile.GetName(name);
    profile.GetDescription(description);
    profile.GetStreamCount(count);
    std::string out = Format("<profile version=\"%u\" storageformat=\"1\" ", version) + "name=\"" +
                      Escape(name) + "\" description=\"" + Escape(description) + "\">\n";
    for (DWORD i = 0; i < count; ++i) {
        std::shared_ptr<WMStreamConfig> config;
        if (HRESULT hr = profile.GetStream(i, config); FAILED(hr)) return hr;
        GUID type;
        WORD number = 0;
        DWORD bitrate = 0, window = 0;
        std::string streamName, connection;
        config->GetStreamType(type);
        config->GetStreamNumber(number);
        config->GetStreamName(streamName);
        config->GetConnectionName(connection);
        config->GetBitrate(bitrate);
        config->GetBufferWindow(window);
        auto props = QueryMediaProps(config);
        if (!props) return E_NOINTERFACE;
        DWORD size = 0;
        props->GetMediaType(nullptr, size);
        WM_MEDIA_TYPE mt;
        if (HRESULT hr = props->GetMediaType(&mt, size); FAILED(hr)) return hr;

        out += "  <streamconfig majortype=\"" + ToString(type) + "\"" +
               Format(" streamnumber=\"%u\"", number) + " streamname=\"" + Escape(streamName) +
               "\" inputname=\"" + Escape(connection) + "\"" +
               Format(" bitrate=\"%u\" bufferwindow=\"%u\">\n", bitrate, window);
        if (auto video = QueryVideoMediaProps(config)) {
            std::int64_t spacing = 0;
            DWORD quality = 0;
            video->GetMaxKeyFrameSpacing(spacing);
            video->GetQuality(quality);
            out += Format("    <videomediaprops maxkeyframespacing=\"%lld\" quality=\"%u\"/>\n",
                          static_cast<long long>(spacing), quality);
        }
        out += "    <wmmediatype subtype=\"" + ToString(mt.subtype) + "\"" +
               Format(" bfixedsizesamples=\"%d\" btemporalcompression=\"%d\" lsamplesize=\"%u\">\n",
                      mt.bFixedSizeSamples ? 1 : 0, mt.bTemporalCompression ? 1 : 0,
                      mt.lSampleSize);
        WAVEFORMATEX w;
        VIDEOINFOHEADER v;
        if (mt.formattype == WMFORMAT_WaveFormatEx && ReadFormat(mt, w)) {
            std::string codecData;
            for (std::size_t b = sizeof(WAVEFORMATEX); b < mt.format.size(); ++b)
                codecData += Format("%02X", mt.format[b]);
            out += Format("      <waveformatex wFormatTag=\"%u\" nChannels=\"%u\" "
                          "nSamplesPerSec=\"%u\" nAvgBytesPerSec=\"%u\" nBlockAlign=\"%u\" "
                          "wBitsPerSample=\"%u\" ",
                          w.wFormatTag, w.nChannels, w.nSamplesPerSec, w.nAvgBytesPerSec,
                          w.nBlockAlign, w.wBitsPerSample) +
                   "codecdata=\"" + codecData + "\"/>\n";
        } else if (mt.formattype == WMFORMAT_VideoInfo && ReadFormat(mt, v)) {
            const BITMAPINFOHEADER& h = v.bmiHeader;
            out += Format("      <videoinfoheader dwbitrate=\"%u\" dwbiterrorrate=\"%u\" "
                          "avgtimeperframe=\"%lld\">\n",
                          v.dwBitRate, v.dwBitErrorRate, static_cast<long long>(v.AvgTimePerFrame));
            out += RectText("rcsource", v.rcSource) + RectText("rctarget", v.rcTarget);
            out += Format("        <bitmapinfoheader biwidth=\"%d\" biheight=\"%d\" biplanes=\"%u\" "
                          "bibitcount=\"%u\" ",
                          h.biWidth, h.biHeight, h.biPlanes, h.biBitCount) +
                   "bicompression=\"" + FourccText(h.biCompression) + "\"" +
                   Format(" bisizeimage=\"%u\" bixpelspermeter=\"%d\" biypelspermeter=\"%d\" "
                          "biclrused=\"%u\" biclrimportant=\"%u\"/>\n",
                          h.biSizeImage, h.biXPelsPerMeter, h.biYPelsPerMeter, h.biClrUsed,
                          h.biClrImportant);
            out += "      </videoinfoheader>\n";
        } else {
            return NS_E_INVALIDPROFILE;  // a format this text form cannot carry
        }
        out += "    </wmmediatype>\n  </streamconfig>\n";
    }
    out += "</profile>\n";
    text = std::move(out);
    return S_OK;
}

}  // namespace wmf::detail
