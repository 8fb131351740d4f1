#pragma once

namespace quillmorph {

// Whether libvips may run Orc vector code. It is safe on several threads only when liborc
// locks its code chunks itself or the program serialises its calls (OrcGuard); otherwise the
// plain C paths, about 15 % more CPU.
enum class VectorCode { Off, On };

// Starts libvips once per process, before any LeadImage is used or any worker starts; false
// when it cannot start. Keeps vips' operation cache off so a batch never grows it.
bool startImagingEngine(const char* argv0, VectorCode vectorCode);

// How many warnings libvips has logged on the calling thread so far (they are not shown). Its
// JPEG decoder logs the warnings libjpeg gave it when it closes, on the thread that lets go of
// the image: a change in this count around a conversion tells that its JPEG warned.
int vipsWarningsOnThisThread();

// Hands the memory a finished batch freed back to the system. For a process that lives on
// after its batches (the window); any thread, between batches.
void releaseFreedMemory();

} // namespace quillmorph
