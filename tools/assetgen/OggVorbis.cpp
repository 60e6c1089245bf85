// Ogg Vorbis encoding through libvorbisenc. The stream serial number is fixed, so the same
// samples always give the same bytes.
#include <stdexcept>

#include <vorbis/vorbisenc.h>

#include "Music.h"
#include "Synth.h"

namespace
{

void AppendPage(Bytes* out, const ogg_page& page)
{
    out->insert(out->end(), page.header, page.header + page.header_len);
    out->insert(out->end(), page.body, page.body + page.body_len);
}

}  // namespace

Bytes EncodeOggVorbis(const std::vector<int16_t>& interleaved, float quality)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, kSampleRate, quality) != 0)
    {
        vorbis_info_clear(&info);
        throw std::runtime_error("the Vorbis encoder refused its settings");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "Zarnovelt");
    vorbis_comment_add_tag(&comment, "ARTIST", "Quillmarsh party gang");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x5A524E56);

    Bytes out;
    ogg_page page;
    {
        ogg_packet header, headerComment, headerCode;
        vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
        ogg_stream_packetin(&stream, &header);
        ogg_stream_packetin(&stream, &headerComment);
        ogg_stream_packetin(&stream, &headerCode);
        // The headers go on pages of their own, so audio starts on a fresh page.
        while (ogg_stream_flush(&stream, &page) != 0)
            AppendPage(&out, page);
    }

    auto drain = [&] {
        ogg_packet packet;
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0)
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    AppendPage(&out, page);
            }
        }
    };

    const size_t frames = interleaved.size() / 2;
    constexpr size_t kChunk = 4096;
    for (size_t done = 0; done < frames; done += kChunk)
    {
        const size_t count = std::min(kChunk, frames - done);
        float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
        for (size_t i = 0; i < count; ++i)
        {
            buffer[0][i] = interleaved[(done + i) * 2] / 32768.0f;
            buffer[1][i] = interleaved[(done + i) * 2 + 1] / 32768.0f;
        }
        vorbis_analysis_wrote(&dsp, static_cast<int>(count));
        drain();
    }
    vorbis_analysis_wrote(&dsp, 0);
    drain();
    while (ogg_stream_flush(&stream, &page) != 0)
        AppendPage(&out, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}
