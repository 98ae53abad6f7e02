// The import names of the delay-loaded system libraries and the stand-ins for missing functions.
#include "windows/host/system_libraries.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <mmsystem.h>

#include <cstdint>

TEST(ImportNames, SplitTheArgumentSizeOffThe32BitName) {
    char name[MAX_IMPORT_NAME];
    EXPECT_EQ(split_import_name("waveOutOpen@24", name, sizeof name), 24u);
    EXPECT_STREQ(name, "waveOutOpen");
    EXPECT_EQ(split_import_name("glFlush", name, sizeof name), 0u); // 64-bit, or cdecl
    EXPECT_STREQ(name, "glFlush");
    EXPECT_EQ(split_import_name("odd@2x", name, sizeof name), 0u); // no size: part of the name
    EXPECT_STREQ(name, "odd@2x");
    char small[5];
    EXPECT_EQ(split_import_name("gluPerspective@32", small, sizeof small), 32u);
    EXPECT_STREQ(small, "gluP");
}

#if defined(__i386__)
// How far a call moves the stack pointer: 0 when the callee removed exactly what was pushed.
template <typename Fn, typename... Args> static intptr_t stack_change(Fn fn, Args... args) {
    uintptr_t before, after;
    asm volatile("mov %%esp, %0" : "=r"(before));
    fn(args...);
    asm volatile("mov %%esp, %0" : "=r"(after));
    return static_cast<intptr_t>(after - before);
}
#else
template <typename Fn, typename... Args> static intptr_t stack_change(Fn fn, Args... args) {
    fn(args...); // the caller removes its own arguments
    return 0;
}
#endif

template <typename Fn> static Fn stand_in(const char* import, bool multimedia) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(stand_in_for(import, multimedia)));
}

// Called through the real signatures, with the names of this build's import lists.
TEST(StandIns, RemoveExactlyTheirCallersArgumentsAndAnswerFailure) {
    const bool sized = sizeof(void*) == 4;
    auto flush = stand_in<void(WINAPI*)()>(sized ? "glFlush@0" : "glFlush", false);
    EXPECT_EQ(stack_change(flush), 0);
    auto clear = stand_in<void(WINAPI*)(GLclampf, GLclampf, GLclampf, GLclampf)>(
        sized ? "glClearColor@16" : "glClearColor", false);
    EXPECT_EQ(stack_change(clear, 0.f, 0.f, 0.f, 1.f), 0);
    auto look =
        stand_in<void(WINAPI*)(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble,
                               GLdouble, GLdouble)>(sized ? "gluLookAt@72" : "gluLookAt", false);
    EXPECT_EQ(stack_change(look, 0., 0., 5., 0., 0., 0., 0., 1., 0.), 0);
    auto error = stand_in<GLenum(WINAPI*)()>(sized ? "glGetError@0" : "glGetError", false);
    EXPECT_EQ(error(), GLenum(GL_NO_ERROR));

    using WaveOutOpenFn =
        MMRESULT(WINAPI*)(LPHWAVEOUT, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD);
    auto open = stand_in<WaveOutOpenFn>(sized ? "waveOutOpen@24" : "waveOutOpen", true);
    HWAVEOUT device = nullptr;
    EXPECT_EQ(stack_change(open, &device, WAVE_MAPPER, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(open(&device, WAVE_MAPPER, nullptr, 0, 0, 0), MMRESULT(MMSYSERR_NODRIVER));
    // A size beyond every function of the three libraries has no stand-in.
    EXPECT_EQ(stand_in_for(sized ? "glTooMany@76" : "glTooMany", false) == nullptr, sized);
}
