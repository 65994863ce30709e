#include "decode_gif.h"

#include <gif_lib.h>

#include <cstring>

namespace {

bool IsLoopExtension(const ExtensionBlock& block, const ExtensionBlock* next) {
    return block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
           std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && next != nullptr &&
           next->ByteCount == 3 && next->Bytes[0] == 1 && next->Bytes[1] == 0 &&
           next->Bytes[2] == 0;
}

void DrawOnto(std::vector<uint8_t>& canvas, const SavedImage& image, int transparent) {
    const GifImageDesc& d = image.ImageDesc;
    for (int y = 0; y < d.Height; ++y) {
        for (int x = 0; x < d.Width; ++x) {
            const GifPixelType pixel = image.RasterBits[y * d.Width + x];
            if (pixel != transparent) {
                canvas[static_cast<std::size_t>((d.Top + y) * PictureWidth + d.Left + x)] = pixel;
            }
        }
    }
}

void Collect(GifFileType* gif, DecodedGif& out) {
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    for (int k = 0; gif->SColorMap != nullptr && k < gif->SColorMap->ColorCount; ++k) {
        const GifColorType& c = gif->SColorMap->Colors[k];
        out.palette.push_back({c.Red, c.Green, c.Blue});
    }
    std::vector<uint8_t> canvas(static_cast<std::size_t>(PictureWidth) * PictureHeight, 0);
    for (int k = 0; k < gif->ImageCount; ++k) {
        const SavedImage& image = gif->SavedImages[k];
        for (int e = 0; e < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock* next =
                e + 1 < image.ExtensionBlockCount ? &image.ExtensionBlocks[e + 1] : nullptr;
            out.loopsForever = out.loopsForever || IsLoopExtension(image.ExtensionBlocks[e], next);
        }
        GraphicsControlBlock control;
        DGifSavedExtensionToGCB(gif, k, &control);
        out.delaysCs.push_back(control.DelayTime);
        out.storedWidths.push_back(image.ImageDesc.Width);
        DrawOnto(canvas, image, control.TransparentColor);
        out.shown.push_back(canvas);
    }
}

} // namespace

DecodedGif ReadGif(const std::string& path) {
    DecodedGif decoded;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (gif == nullptr) {
        return decoded;
    }
    decoded.ok = DGifSlurp(gif) == GIF_OK;
    if (decoded.ok) {
        Collect(gif, decoded);
    }
    DGifCloseFile(gif, &error);
    return decoded;
}
