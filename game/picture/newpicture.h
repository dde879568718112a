#pragma once
// A new picture for a decoder to write into.
#include <QImage>
#include <QSize>
#include <future>

namespace pz {

// An RGB32 picture of this size whose memory is mapped in on another core
// while the decoder starts (mapping a fresh page stops a writer, and that
// was a third of a large JPEG's decode); what is written meanwhile is left
// as it is. Wait for mapping before the picture is handed on. A null
// image when there is not enough memory.
struct NewPicture {
    QImage image;
    std::future<void> mapping;
};
NewPicture MakeNewPicture(QSize size);

// Where new pictures are made: ordinary memory, unless the decoder program
// hands out shared memory it can pass to the game.
using PictureAllocator = QImage (*)(QSize size);
void SetPictureAllocator(PictureAllocator allocate);

}  // namespace pz
