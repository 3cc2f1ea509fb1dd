// SPDX-License-Identifier: GPL-3.0-or-later
// Encoding and muxing the rendered show with FFmpeg's libraries.
#include "tools/render/video_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdint>
#include <vector>

#include "sound/sound_names.h"
#include "tools/render/frame_writer.h"

struct VideoWriter::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    SwsContext* scale = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    std::int64_t frameIndex = 0;
    std::int64_t soundIndex = 0;
    // Sound waiting for a whole encoder frame, interleaved stereo.
    std::vector<float> pending;
    bool headerWritten = false;
    // Named in every message about writing the file.
    std::string path;

    ~State()
    {
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        av_frame_free(&picture);
        av_frame_free(&sound);
        av_packet_free(&packet);
        sws_freeContext(scale);
        if (format != nullptr) {
            if (format->pb != nullptr) {
                avio_closep(&format->pb);
            }
            avformat_free_context(format);
        }
    }
};

namespace {

std::string Describe(const char* what, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return std::string(what) + ": " + text;
}

const AVCodec* FindEncoder(const char* preferred, AVCodecID fallback)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(preferred);
    return codec != nullptr ? codec : avcodec_find_encoder(fallback);
}

// Sends frame (null to flush) and writes every packet the encoder gives back.
bool Drain(AVFormatContext* format, AVCodecContext* codec, AVStream* stream, AVFrame* frame, AVPacket* packet,
           std::string& error)
{
    int code = avcodec_send_frame(codec, frame);
    if (code < 0) {
        error = Describe("encoding", code);
        return false;
    }
    while ((code = avcodec_receive_packet(codec, packet)) >= 0) {
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        code = av_interleaved_write_frame(format, packet);
        if (code < 0) {
            error = Describe("writing", code);
            return false;
        }
    }
    if (code != AVERROR(EAGAIN) && code != AVERROR_EOF) {
        error = Describe("encoding", code);
        return false;
    }
    return true;
}

// A failure to encode or write names the file, as every write of the renderer does.
bool Named(bool ok, const std::string& path, std::string& error)
{
    if (!ok) {
        error = "cannot write " + path + ": " + error;
    }
    return ok;
}

bool EndsWith(const std::string& text, const char* end)
{
    const std::string tail(end);
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

VideoWriter::VideoWriter() = default;
VideoWriter::~VideoWriter() = default;

bool VideoWriter::Open(const std::string& path, int width, int height, int framesPerSecond, std::string& error)
{
    state = std::make_unique<State>();
    State& s = *state;
    s.path = path;
    const bool webm = EndsWith(path, ".webm");
    if (!webm && !EndsWith(path, ".mp4")) {
        error = "--video wants a file ending in .mp4 or .webm";
        return false;
    }
    av_log_set_level(AV_LOG_ERROR);
    int code = avformat_alloc_output_context2(&s.format, nullptr, webm ? "webm" : "mp4", path.c_str());
    if (code < 0) {
        error = Describe("the container", code);
        return false;
    }
    const AVCodec* videoCodec = webm ? FindEncoder("libvpx-vp9", AV_CODEC_ID_VP9) : FindEncoder("libx264", AV_CODEC_ID_H264);
    const AVCodec* audioCodec = webm ? FindEncoder("libopus", AV_CODEC_ID_OPUS) : FindEncoder("aac", AV_CODEC_ID_AAC);
    if (videoCodec == nullptr || audioCodec == nullptr) {
        error = std::string("no ") + (videoCodec == nullptr ? "video" : "audio") + " encoder for " + path;
        return false;
    }

    s.video = avcodec_alloc_context3(videoCodec);
    s.video->width = width;
    s.video->height = height;
    s.video->time_base = AVRational{1, framesPerSecond};
    s.video->framerate = AVRational{framesPerSecond, 1};
    s.video->pix_fmt = AV_PIX_FMT_YUV420P;
    s.video->gop_size = framesPerSecond;
    s.video->bit_rate = static_cast<std::int64_t>(width) * height * 4;
    // Tagged as what the conversion below makes: BT.709 colours in the limited range.
    s.video->color_primaries = AVCOL_PRI_BT709;
    s.video->color_trc = AVCOL_TRC_BT709;
    s.video->colorspace = AVCOL_SPC_BT709;
    s.video->color_range = AVCOL_RANGE_MPEG;
    if (webm) {
        av_opt_set(s.video->priv_data, "deadline", "realtime", 0);
        av_opt_set_int(s.video->priv_data, "cpu-used", 8, 0);
    } else {
        av_opt_set(s.video->priv_data, "preset", "veryfast", 0);
        av_opt_set(s.video->priv_data, "crf", "20", 0);
    }
    if ((s.format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        s.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if ((code = avcodec_open2(s.video, videoCodec, nullptr)) < 0) {
        error = Describe("the video encoder", code);
        return false;
    }

    s.audio = avcodec_alloc_context3(audioCodec);
    s.audio->sample_rate = SoundSampleRate;
    av_channel_layout_default(&s.audio->ch_layout, 2);
    s.audio->sample_fmt = audioCodec->sample_fmts != nullptr ? audioCodec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    s.audio->bit_rate = 160000;
    s.audio->time_base = AVRational{1, SoundSampleRate};
    if (s.audio->sample_fmt != AV_SAMPLE_FMT_FLTP && s.audio->sample_fmt != AV_SAMPLE_FMT_FLT &&
        s.audio->sample_fmt != AV_SAMPLE_FMT_S16) {
        error = "the audio encoder wants a sample format this writer does not make";
        return false;
    }
    if ((s.format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        s.audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if ((code = avcodec_open2(s.audio, audioCodec, nullptr)) < 0) {
        error = Describe("the audio encoder", code);
        return false;
    }

    s.videoStream = avformat_new_stream(s.format, nullptr);
    s.audioStream = avformat_new_stream(s.format, nullptr);
    avcodec_parameters_from_context(s.videoStream->codecpar, s.video);
    avcodec_parameters_from_context(s.audioStream->codecpar, s.audio);
    s.videoStream->time_base = s.video->time_base;
    s.videoStream->avg_frame_rate = s.video->framerate;
    s.audioStream->time_base = s.audio->time_base;

    if ((code = avio_open(&s.format->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0) {
        error = Describe(("cannot write " + path).c_str(), code);
        return false;
    }
    // An MP4's index goes to the front once it is written, so that a player can start before the end.
    AVDictionary* muxing = nullptr;
    if (!webm) {
        av_dict_set(&muxing, "movflags", "+faststart", 0);
    }
    code = avformat_write_header(s.format, &muxing);
    av_dict_free(&muxing);
    if (code < 0) {
        error = Describe(("cannot write " + path).c_str(), code);
        return false;
    }
    s.headerWritten = true;

    s.picture = av_frame_alloc();
    s.picture->format = AV_PIX_FMT_YUV420P;
    s.picture->width = width;
    s.picture->height = height;
    s.sound = av_frame_alloc();
    s.sound->format = s.audio->sample_fmt;
    s.sound->sample_rate = SoundSampleRate;
    av_channel_layout_copy(&s.sound->ch_layout, &s.audio->ch_layout);
    s.sound->nb_samples = s.audio->frame_size > 0 ? s.audio->frame_size : 1024;
    s.packet = av_packet_alloc();
    if (av_frame_get_buffer(s.picture, 0) < 0 || av_frame_get_buffer(s.sound, 0) < 0 || s.packet == nullptr) {
        error = "out of memory for the encoders' frames";
        return false;
    }
    s.scale = sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr,
                             nullptr, nullptr);
    if (s.scale == nullptr) {
        error = "no colour conversion to YUV";
        return false;
    }
    // Full-range RGB to BT.709 limited-range YUV, as the stream is tagged.
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(s.scale, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    return true;
}

bool VideoWriter::AddFrame(IDirect3DDevice8* device, std::string& error)
{
    State& s = *state;
    int made = 0;
    {
        const BackBufferLock frame(device);
        if (!frame.Ok(error)) {
            return false;
        }
        if (static_cast<int>(frame.Desc().Width) != s.video->width ||
            static_cast<int>(frame.Desc().Height) != s.video->height) {
            error = "the back buffer is not at the video's size";
            return false;
        }
        // X8R8G8B8 words are B, G, R, X bytes in memory, rows top first.
        const std::uint8_t* source[1] = {frame.Row(0)};
        const int stride[1] = {frame.Pitch()};
        made = av_frame_make_writable(s.picture);
        if (made >= 0) {
            sws_scale(s.scale, source, stride, 0, s.video->height, s.picture->data, s.picture->linesize);
        }
    }
    if (made < 0) {
        error = Describe("the picture", made);
        return false;
    }
    s.picture->pts = s.frameIndex++;
    return Named(Drain(s.format, s.video, s.videoStream, s.picture, s.packet, error), s.path, error);
}

bool VideoWriter::AddSound(const float* stereo, int frames, std::string& error)
{
    State& s = *state;
    s.pending.insert(s.pending.end(), stereo, stereo + 2 * static_cast<std::size_t>(frames));
    const int size = s.sound->nb_samples;
    std::size_t used = 0;
    while (s.pending.size() - used >= 2 * static_cast<std::size_t>(size)) {
        const int code = av_frame_make_writable(s.sound);
        if (code < 0) {
            error = Describe("the sound frame", code);
            return false;
        }
        const float* in = s.pending.data() + used;
        for (int i = 0; i < size; ++i) {
            for (int c = 0; c < 2; ++c) {
                const float v = std::clamp(in[2 * i + c], -1.0f, 1.0f);
                switch (s.audio->sample_fmt) {
                case AV_SAMPLE_FMT_FLTP:
                    reinterpret_cast<float*>(s.sound->data[c])[i] = v;
                    break;
                case AV_SAMPLE_FMT_FLT:
                    reinterpret_cast<float*>(s.sound->data[0])[2 * i + c] = v;
                    break;
                default:
                    reinterpret_cast<std::int16_t*>(s.sound->data[0])[2 * i + c] =
                        static_cast<std::int16_t>(v * 32767.0f);
                    break;
                }
            }
        }
        s.sound->pts = s.soundIndex;
        s.soundIndex += size;
        used += 2 * static_cast<std::size_t>(size);
        if (!Named(Drain(s.format, s.audio, s.audioStream, s.sound, s.packet, error), s.path, error)) {
            return false;
        }
    }
    s.pending.erase(s.pending.begin(), s.pending.begin() + static_cast<std::ptrdiff_t>(used));
    return true;
}

bool VideoWriter::Close(std::string& error)
{
    if (!state || !state->headerWritten) {
        return true;
    }
    State& s = *state;
    // The last part frame of sound, padded with silence.
    const std::size_t rest = s.pending.size() / 2;
    if (rest > 0) {
        std::vector<float> silence(2 * (static_cast<std::size_t>(s.sound->nb_samples) - rest), 0.0f);
        if (!AddSound(silence.data(), static_cast<int>(silence.size() / 2), error)) {
            return false;
        }
    }
    bool ok = Named(Drain(s.format, s.video, s.videoStream, nullptr, s.packet, error) &&
                        Drain(s.format, s.audio, s.audioStream, nullptr, s.packet, error),
                    s.path, error);
    int code = av_write_trailer(s.format);
    s.headerWritten = false;
    // Writes are buffered: a full disk may show only in the stream's error or when it is closed.
    if (code >= 0 && s.format->pb->error < 0) {
        code = s.format->pb->error;
    }
    const int closed = avio_closep(&s.format->pb);
    if (ok && (code < 0 || closed < 0)) {
        error = Describe(("cannot write " + s.path).c_str(), code < 0 ? code : closed);
        return false;
    }
    return ok;
}
