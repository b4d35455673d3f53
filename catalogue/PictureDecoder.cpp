#include "PictureDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <png.h>

// The framework's own loaders expect the copies of libpng and libjpeg that it
// bundles: with the system's libraries, which ours are, their error handlers
// return where the libraries require them not to, so that a broken picture
// crashes the program. These decoders use the libraries as they are meant to be.

namespace
{
    constexpr int maximumSide = 2048;

    // Everything the libraries may jump out of lies in these functions' own frames
    // and is made before the jump target is set, so no destructor is skipped.

    // Whether every chunk the picture declares fits in the bytes it has. Some builds
    // of libpng allocate a text chunk's declared length before they read it, and a
    // picture of a few hundred bytes could ask for gigabytes. A chunk counts as soon
    // as its length and type are there, since that is when libpng allocates.
    bool pngChunksFitIn (const juce::uint8* bytes, size_t size)
    {
        constexpr size_t headerSize = 8, chunkHeader = 8, chunkOverhead = 12; // length, type, and CRC

        for (size_t position = headerSize; position + chunkHeader <= size;)
        {
            auto length = (size_t) juce::ByteOrder::bigEndianInt (bytes + position);

            if (length > size - position - chunkHeader)
                return false;

            if (std::memcmp (bytes + position + 4, "IEND", 4) == 0)
                return true;

            position += chunkOverhead + length;
        }

        return true;
    }

    struct PngSource
    {
        const juce::uint8* data;
        size_t size, position;
    };

    void readPngBytes (png_structp png, png_bytep target, png_size_t length)
    {
        auto& source = *static_cast<PngSource*> (png_get_io_ptr (png));

        if (length > source.size - source.position)
            png_error (png, "the picture ends early");

        std::memcpy (target, source.data + source.position, length);
        source.position += length;
    }

    [[noreturn]] void failPng (png_structp png, png_const_charp) { png_longjmp (png, 1); }

    void ignorePngWarning (png_structp, png_const_charp) {}

    // Reads the picture as 8-bit RGBA into pixels; false when it is refused or broken.
    bool readPng (const juce::MemoryBlock& data, std::vector<juce::uint8>& pixels, int& width, int& height)
    {
        PngSource source{ static_cast<const juce::uint8*> (data.getData()), data.getSize(), 0 };
        std::vector<png_bytep> rows;

        auto png = png_create_read_struct (PNG_LIBPNG_VER_STRING, nullptr, failPng, ignorePngWarning);
        auto info = png != nullptr ? png_create_info_struct (png) : nullptr;

        if (info == nullptr)
        {
            png_destroy_read_struct (&png, nullptr, nullptr);
            return false;
        }

        if (setjmp (png_jmpbuf (png)))
        {
            png_destroy_read_struct (&png, &info, nullptr);
            return false;
        }

        png_set_read_fn (png, &source, readPngBytes);
        png_set_user_limits (png, maximumSide, maximumSide);

        // Nor may a chunk beside the pixels (a colour profile, compressed text) grow
        // beyond what any picture needs.
        png_set_chunk_malloc_max (png, 1024 * 1024);
        png_set_chunk_cache_max (png, 128);
        png_read_info (png, info);

        png_set_expand (png);
        png_set_strip_16 (png);
        png_set_gray_to_rgb (png);
        png_set_filler (png, 0xff, PNG_FILLER_AFTER);
        png_set_interlace_handling (png);
        png_read_update_info (png, info);

        width = (int) png_get_image_width (png, info);
        height = (int) png_get_image_height (png, info);
        pixels.resize ((size_t) width * (size_t) height * 4);
        rows.resize ((size_t) height);

        for (size_t y = 0; y < rows.size(); ++y)
            rows[y] = pixels.data() + y * (size_t) width * 4;

        png_read_image (png, rows.data());
        png_read_end (png, nullptr);
        png_destroy_read_struct (&png, &info, nullptr);
        return true;
    }

    struct JpegErrors
    {
        jpeg_error_mgr manager;
        std::jmp_buf jump;
    };

    [[noreturn]] void failJpeg (j_common_ptr decoder)
    {
        std::longjmp (reinterpret_cast<JpegErrors*> (decoder->err)->jump, 1);
    }

    void ignoreJpegMessage (j_common_ptr, int) {}
    void ignoreJpegOutput (j_common_ptr) {}

    // Reads the picture as 8-bit RGB into pixels; false when it is refused or broken.
    bool readJpeg (const juce::MemoryBlock& data, std::vector<juce::uint8>& pixels, int& width, int& height)
    {
        jpeg_decompress_struct decoder;
        JpegErrors errors;
        decoder.err = jpeg_std_error (&errors.manager);
        errors.manager.error_exit = failJpeg;
        errors.manager.emit_message = ignoreJpegMessage;
        errors.manager.output_message = ignoreJpegOutput;

        if (setjmp (errors.jump))
        {
            jpeg_destroy_decompress (&decoder);
            return false;
        }

        jpeg_create_decompress (&decoder);
        jpeg_mem_src (&decoder, static_cast<const unsigned char*> (data.getData()), (unsigned long) data.getSize());
        jpeg_read_header (&decoder, TRUE);

        if (decoder.image_width > (JDIMENSION) maximumSide || decoder.image_height > (JDIMENSION) maximumSide)
        {
            jpeg_destroy_decompress (&decoder);
            return false;
        }

        decoder.out_color_space = JCS_RGB;
        jpeg_start_decompress (&decoder);

        width = (int) decoder.output_width;
        height = (int) decoder.output_height;
        pixels.resize ((size_t) width * (size_t) height * 3);

        while (decoder.output_scanline < decoder.output_height)
        {
            JSAMPROW row = pixels.data() + (size_t) decoder.output_scanline * (size_t) width * 3;
            jpeg_read_scanlines (&decoder, &row, 1);
        }

        jpeg_finish_decompress (&decoder);
        jpeg_destroy_decompress (&decoder);
        return true;
    }

    juce::Image makeImage (const std::vector<juce::uint8>& pixels, int width, int height, int channels)
    {
        if (width <= 0 || height <= 0)
            return {};

        juce::Image image (channels == 4 ? juce::Image::ARGB : juce::Image::RGB, width, height, false);
        juce::Image::BitmapData bitmap (image, juce::Image::BitmapData::writeOnly);
        auto* source = pixels.data();

        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x, source += channels)
            {
                auto alpha = channels == 4 ? source[3] : (juce::uint8) 0xff;
                bitmap.setPixelColour (x, y, juce::Colour (source[0], source[1], source[2], alpha));
            }
        }

        return image;
    }
}

juce::Image PictureDecoder::decode (const juce::MemoryBlock& data)
{
    auto* bytes = static_cast<const juce::uint8*> (data.getData());
    auto size = data.getSize();
    std::vector<juce::uint8> pixels;
    int width = 0, height = 0;

    if (size >= 8 && png_sig_cmp (bytes, 0, 8) == 0)
        return pngChunksFitIn (bytes, size) && readPng (data, pixels, width, height)
                   ? makeImage (pixels, width, height, 4)
                   : juce::Image();

    if (size >= 3 && bytes[0] == 0xff && bytes[1] == 0xd8 && bytes[2] == 0xff)
        return readJpeg (data, pixels, width, height) ? makeImage (pixels, width, height, 3) : juce::Image();

    return {};
}
