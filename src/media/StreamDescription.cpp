#include "media/StreamDescription.h"

#include "media/MediaFacts.h"

#include <QHash>
#include <cmath>

namespace tavimo::media {

namespace {

const QHash<int, QString>& waveNames() {
    static const QHash<int, QString> names = [] {
        const std::pair<int, const char*> table[] = {
            {0x1, "PCM"},
            {0x2, "ADPCM"},
            {0x3, "IEEE_FLOAT"},
            {0x5, "IBM_CVSD"},
            {0x6, "ALAW"},
            {0x7, "MULAW"},
            {0x9, "Microsoft_DRM"},
            {0x10, "OKI_ADPCM"},
            {0x11, "DVI_ADPCM"},
            {0x12, "MEDIASPACE_ADPCM"},
            {0x13, "SIERRA_ADPCM"},
            {0x14, "G723_ADPCM"},
            {0x15, "DIGISTD"},
            {0x16, "DIGIFIX"},
            {0x17, "DIALOGIC_OKI_ADPCM"},
            {0x18, "MEDIAVISION_ADPCM"},
            {0x20, "YAMAHA_ADPCM"},
            {0x21, "SONARC"},
            {0x22, "DSPGROUP_TRUESPEECH"},
            {0x23, "ECHOSC1"},
            {0x24, "AUDIOFILE_AF36"},
            {0x25, "APTX"},
            {0x26, "AUDIOFILE_AF10"},
            {0x30, "Dolby_AC2"},
            {0x31, "GSM610"},
            {0x32, "MSNAUDIO"},
            {0x33, "ANTEX_ADPCME"},
            {0x34, "CONTROL_RES_VQLPC"},
            {0x35, "DIGIREAL"},
            {0x36, "DIGIADPCM"},
            {0x37, "CONTROL_RES_CR10"},
            {0x38, "NMS_VBXADPCM"},
            {0x39, "CS_IMAADPCM"},
            {0x3A, "ECHOSC3"},
            {0x3B, "ROCKWELL_ADPCM"},
            {0x3C, "ROCKWELL_DIGITALK"},
            {0x3D, "XEBEC"},
            {0x40, "G721_ADPCM"},
            {0x41, "G728_CELP"},
            {0x50, "MPEG Audio"},
            {0x55, "MPEG_Layer3"},
            {0x60, "CIRRUS"},
            {0x61, "ESPCM"},
            {0x62, "VOXWARE"},
            {0x75, "VOXWARE"},
            {0x63, "CANOPUS_ATRAC"},
            {0x64, "G726_ADPCM"},
            {0x65, "G722_ADPCM"},
            {0x66, "DSAT"},
            {0x67, "DSAT_DISPLAY"},
            {0x80, "SOFTSOUND"},
            {0xE1, "Microsoft_ADPCM"},
            {0xFF, "AAC"},
            {0x100, "RHETOREX_ADPCM"},
            {0x200, "CREATIVE_ADPCM"},
            {0x202, "CREATIVE_FASTSPEECH8"},
            {0x203, "CREATIVE_FASTSPEECH10"},
            {0x220, "QUARTERDECK"},
            {0x270, "Sony_ATRAC3"},
            {0x300, "FM_TOWNS_SND"},
            {0x400, "BTV_DIGITAL"},
            {0x1000, "OLIGSM"},
            {0x1001, "OLIADPCM"},
            {0x1002, "OLICELP"},
            {0x1003, "OLISBC"},
            {0x1004, "OLIOPR"},
            {0x1100, "LH_CODEC"},
            {0x1400, "NORRIS"},
            {0x2000, "Dolby_AC3"},
            {0x2001, "DTS"},
            {0x2004, "RealAudio COOK"},
            {0x674F, "ACMVorbis"},
            {0x6750, "ACMVorbis"},
            {0x6751, "ACMVorbis"},
            {0x676F, "ACMVorbis"},
            {0x6770, "ACMVorbis"},
            {0x6771, "ACMVorbis"},
        };
        QHash<int, QString> h;
        for (const auto& [tag, name] : table)
            h.insert(tag, QString::fromLatin1(name));
        return h;
    }();
    return names;
}

// The Windows Media audio formats, named by their own type rather than by the tag table.
QString windowsMediaAudioName(int tag) {
    switch (tag) {
    case 0x162:
        return QStringLiteral("WMAudioV9");
    case 0x163:
        return QStringLiteral("WMAudio_Lossless");
    case 0x161:
        return QStringLiteral("WMAudioV8");
    case 0x130:
        return QStringLiteral("WMAudio_ACELPnet");
    case 0x0A:
        return QStringLiteral("WMSP1");
    default:
        return {};
    }
}

// Frames per second as a whole number of 100 ns per frame gives them back.
QString frameRateText(double fps) {
    if (!(fps > 0))
        return {};
    const qint64 frameTime = std::llround(10'000'000.0 / fps);
    if (frameTime <= 0)
        return {};
    return QString::asprintf("%.3ffps ", 10'000'000.0 / double(frameTime));
}

// Vorbis carried in its own format (Ogg, Matroska) rather than as an ACM wave tag.
bool isNativeVorbis(const TrackFacts& audio) {
    return audio.codec == QLatin1String("vorbis") &&
           waveNames().value(audio.formatTag) != QLatin1String("ACMVorbis");
}

// Audio carried without a wave format of its own, whose rate and channels are told after
// the decoder.
bool needsDecodedFormat(const QString& description) {
    for (const char* name : {"Vorbis", "MPEG2Audio", "DVD_LPCMAudio"})
        if (description.contains(QLatin1String(name), Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

QString waveFormatName(int tag) {
    return waveNames().value(tag);
}

QString videoDescription(const TrackFacts& v) {
    QString text = QStringLiteral("Video: ");
    const int w = v.size.width(), h = v.size.height();
    if (v.codec == QLatin1String("h264") &&
        v.fourCC.compare(QLatin1String("avc1"), Qt::CaseInsensitive) == 0)
        text += QStringLiteral("H264_");
    if (v.codec == QLatin1String("mpeg1video"))
        return text + QStringLiteral("MPEGVideo %1X%2, ").arg(w).arg(h) +
               frameRateText(v.frameRate);
    if (v.codec == QLatin1String("mpeg2video"))
        return text + QStringLiteral("MPEG2_VIDEO %1X%2, ").arg(w).arg(h) +
               frameRateText(v.frameRate);
    if (v.codec == QLatin1String("dvvideo"))
        return text + QStringLiteral("DvInfo ");
    if (v.fourCC.isEmpty())
        return text + QStringLiteral("Unknown ");
    if (v.bitDepth > 0)
        text += QStringLiteral("%1 %2X%3, %4bits, ").arg(v.fourCC).arg(w).arg(h).arg(v.bitDepth);
    else
        text += QStringLiteral("%1 %2X%3 ").arg(v.fourCC).arg(w).arg(h);
    return text + frameRateText(v.frameRate);
}

QString audioDescription(const TrackFacts& a) {
    QString text = QStringLiteral("Audio: ") + windowsMediaAudioName(a.formatTag);
    if (a.codec == QLatin1String("pcm_dvd"))
        return text + QStringLiteral("DVD_LPCMAudio Unknown");
    if (isNativeVorbis(a))
        return text + QStringLiteral("Vorbis");
    const QString name = waveFormatName(a.formatTag);
    if (!name.isEmpty())
        text += name;
    else if (!text.contains(QLatin1String("WM")) && !text.contains(QLatin1String("Dolby")))
        text += QStringLiteral("Unknown,");
    return text + QStringLiteral(" %1Hz, %2Ch").arg(a.sampleRate).arg(a.channels);
}

QString streamDescription(const MediaFacts& facts) {
    QString video;
    QStringList audio;
    const TrackFacts* firstAudio = nullptr;
    for (const TrackFacts& t : facts.tracks) {
        if (!t.decodable)
            continue;
        if (t.kind == TrackFacts::Kind::Video) {
            if (video.isEmpty())
                video = videoDescription(t);
        } else if (audio.size() < 2) {
            audio.append(audioDescription(t));
            if (!firstAudio)
                firstAudio = &t;
        }
    }
    if (firstAudio && needsDecodedFormat(audio.first())) {
        const QString decoded =
            QStringLiteral("  %1Hz, %2ch").arg(firstAudio->sampleRate).arg(firstAudio->channels);
        for (QString& text : audio)
            text += decoded;
    }
    if (audio.size() == 2) {
        audio[0].replace(QLatin1String("Audio"), QLatin1String("Audio1"), Qt::CaseInsensitive);
        audio[1].replace(QLatin1String("Audio"), QLatin1String("Audio2"), Qt::CaseInsensitive);
    }
    return video + audio.join(QLatin1Char(' '));
}

} // namespace tavimo::media
