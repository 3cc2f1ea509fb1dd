// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding music with libavformat and libavcodec, resampled and down- or up-mixed by libswresample.
#include "music/music_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <filesystem>

#include "sound/sound_names.h"

namespace {

// Owns what one decode opens, so that every way out closes it.
struct Decoding {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;

    ~Decoding()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&resampler);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

// Converts one decoded frame (null flushes the resampler) and appends it.
bool Append(Decoding& d, const AVFrame* frame, MusicAudio& music)
{
    const int in = frame != nullptr ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(d.resampler, in);
    if (room < 0) {
        return false;
    }
    const std::size_t used = music.stereo.size();
    music.stereo.resize(used + static_cast<std::size_t>(room) * 2);
    auto* out = reinterpret_cast<std::uint8_t*>(music.stereo.data() + used);
    const int got = swr_convert(d.resampler, &out, room, frame != nullptr ? const_cast<const std::uint8_t**>(frame->extended_data) : nullptr, in);
    if (got < 0) {
        music.stereo.resize(used);
        return false;
    }
    music.stereo.resize(used + static_cast<std::size_t>(got) * 2);
    return true;
}

} // namespace

std::vector<float> MusicAudio::Mono() const
{
    std::vector<float> mono(stereo.size() / 2);
    for (std::size_t i = 0; i < mono.size(); ++i) {
        mono[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
    }
    return mono;
}

bool DecodeMusic(const std::string& path, MusicAudio& music, std::string& error)
{
    music = MusicAudio{};
    av_log_set_level(AV_LOG_QUIET);
    // Only a plain file: a folder or a pipe would be opened by the demuxers too.
    std::error_code failure;
    if (!std::filesystem::is_regular_file(path, failure)) {
        error = path + ": cannot read it";
        return false;
    }
    Decoding d;
    if (avformat_open_input(&d.format, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(d.format, nullptr) < 0) {
        error = path + ": not a sound file that can be decoded";
        return false;
    }
    const AVCodec* decoder = nullptr;
    const int stream = av_find_best_stream(d.format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (stream < 0 || decoder == nullptr) {
        error = path + ": holds no sound that can be decoded";
        return false;
    }
    d.codec = avcodec_alloc_context3(decoder);
    if (d.codec == nullptr ||
        avcodec_parameters_to_context(d.codec, d.format->streams[stream]->codecpar) < 0 ||
        avcodec_open2(d.codec, decoder, nullptr) < 0) {
        error = path + ": its sound cannot be decoded";
        return false;
    }
    // A stream that does not say its layout gets the usual one for its channel count.
    if (d.codec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        const int channels = d.codec->ch_layout.nb_channels;
        av_channel_layout_uninit(&d.codec->ch_layout);
        av_channel_layout_default(&d.codec->ch_layout, channels > 0 ? channels : 1);
    }
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (d.codec->sample_rate <= 0 ||
        swr_alloc_set_opts2(&d.resampler, &stereo, AV_SAMPLE_FMT_FLT, SoundSampleRate, &d.codec->ch_layout,
                            d.codec->sample_fmt, d.codec->sample_rate, 0, nullptr) < 0 ||
        swr_init(d.resampler) < 0) {
        error = path + ": its sound cannot be converted";
        return false;
    }
    d.packet = av_packet_alloc();
    d.frame = av_frame_alloc();
    if (d.packet == nullptr || d.frame == nullptr) {
        error = path + ": out of memory";
        return false;
    }
    music.sampleRate = SoundSampleRate;
    const auto limit = static_cast<std::size_t>(kMaxMusicSeconds * SoundSampleRate) * 2;
    bool more = true;
    while (more) {
        more = av_read_frame(d.format, d.packet) >= 0;
        if (more && d.packet->stream_index != stream) {
            av_packet_unref(d.packet);
            continue;
        }
        // A damaged packet is skipped, as players do; the end flushes the decoder.
        const int sent = avcodec_send_packet(d.codec, more ? d.packet : nullptr);
        av_packet_unref(d.packet);
        if (sent < 0 && sent != AVERROR_INVALIDDATA && more) {
            continue;
        }
        while (avcodec_receive_frame(d.codec, d.frame) >= 0) {
            const bool added = Append(d, d.frame, music);
            av_frame_unref(d.frame);
            if (!added) {
                error = path + ": its sound cannot be converted";
                return false;
            }
        }
        if (music.stereo.size() > limit) {
            error = path + ": longer than an hour";
            return false;
        }
    }
    if (!Append(d, nullptr, music) || music.stereo.empty()) {
        error = path + ": holds no sound that can be decoded";
        return false;
    }
    return true;
}
