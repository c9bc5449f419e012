// FluidSynth runs its reverb and chorus inside an OpenMP parallel region with one thread per
// effects unit. With one unit (ours), the OpenMP runtime allocates and frees a thread team
// for every 64-frame block, inside the audio callback. A region of one thread is its body
// run on the calling thread (the constructs inside it then act as in a team of one), so this
// definition, which the dynamic linker binds FluidSynth to ahead of the runtime's, runs
// such regions directly and hands every other region to the runtime.
#include <dlfcn.h>

namespace platform::audio {

// Referenced by the synthesizer source so that the linker always keeps this file.
void KeepOpenMpRegionsInline() {}

}  // namespace platform::audio

extern "C" void GOMP_parallel(void (*body)(void*), void* data, unsigned threads, unsigned flags) {
  if (threads == 1) {
    body(data);
    return;
  }
  using Runtime = void (*)(void (*)(void*), void*, unsigned, unsigned);
  static const auto runtime = reinterpret_cast<Runtime>(dlsym(RTLD_NEXT, "GOMP_parallel"));
  if (runtime) {
    runtime(body, data, threads, flags);
  } else {
    body(data);
  }
}
