#include "tools/instpack/ImageConverter.h"

#include "tools/instpack/BmpReader.h"
#include "tools/instpack/PngReader.h"

ImageConverter::Result ImageConverter::convert(const Bytes& file, Bytes& entry,
                                               std::string& error) {
    DecodedImage image;
    bool decoded = false;
    if (PngReader::isPng(file))
        decoded = PngReader::decode(file, image, error);
    else if (BmpReader::isBmp(file))
        decoded = BmpReader::decode(file, image, error);
    else
        return Result::NotAnImage;
    if (!decoded)
        return Result::Failed;
    entry.swap(image.bytes());
    return Result::Converted;
}
