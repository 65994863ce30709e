// The one include that decides where the Windows calls come from: <windows.h> in the mingw-w64
// build; otherwise the declarations below. On Windows built with the Microsoft toolchain's
// conventions they are the real calls, imported from KERNEL32 and WINMM with the platform's own
// calling convention, so no vendor's headers are needed; on any other system a layer of the
// project's own supplies them at link time (src/platform/linux for the terminal program,
// src/platform/record for the tests).
#pragma once

#include "platform/win_types.h"

#ifndef __MINGW32__

#ifdef _WIN32
#define WINAPI __stdcall
#define WINBASEAPI __declspec(dllimport)
#define WINMMAPI __declspec(dllimport)
#else
#define WINAPI
#define WINBASEAPI
#define WINMMAPI
#endif

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define CONSOLE_WINDOWED_MODE 2
#define HEAP_NO_SERIALIZE 0x00000001

#define WAVE_FORMAT_PCM 1
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_ALLOCATED 4
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NODRIVER 6
#define MMSYSERR_NOMEM 7
#define MMSYSERR_INVALPARAM 11
#define WAVERR_BADFORMAT 32
#define WAVERR_STILLPLAYING 33
#define WAVERR_UNPREPARED 34
#define WHDR_DONE 0x00000001
#define WHDR_PREPARED 0x00000002
#define WHDR_INQUEUE 0x00000010

// C linkage, as on Windows: the calls keep their plain names in every layer.
extern "C" {

// Console (called by the console surface and the main routine).
WINBASEAPI BOOL WINAPI AllocConsole();
WINBASEAPI BOOL WINAPI FreeConsole();
WINBASEAPI HANDLE WINAPI GetStdHandle(DWORD nStdHandle);
WINBASEAPI BOOL WINAPI SetConsoleTitleA(LPCSTR lpConsoleTitle);
WINBASEAPI BOOL WINAPI SetConsoleDisplayMode(HANDLE hConsoleOutput, DWORD dwFlags,
                                             PCOORD lpNewScreenBufferDimensions);
WINBASEAPI BOOL WINAPI SetConsoleWindowInfo(HANDLE hConsoleOutput, BOOL bAbsolute,
                                            const SMALL_RECT* lpConsoleWindow);
WINBASEAPI BOOL WINAPI SetConsoleScreenBufferSize(HANDLE hConsoleOutput, COORD dwSize);
WINBASEAPI BOOL WINAPI SetConsoleCursorInfo(HANDLE hConsoleOutput,
                                            const CONSOLE_CURSOR_INFO* lpConsoleCursorInfo);
WINBASEAPI BOOL WINAPI WriteConsoleOutputA(HANDLE hConsoleOutput, const CHAR_INFO* lpBuffer,
                                           COORD dwBufferSize, COORD dwBufferCoord,
                                           PSMALL_RECT lpWriteRegion);

// Process heap (console surface, sound, main routine).
WINBASEAPI HANDLE WINAPI GetProcessHeap();
WINBASEAPI LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes);
WINBASEAPI BOOL WINAPI HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem);

// High-resolution performance counter (clock).
WINBASEAPI BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);
WINBASEAPI BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);

#ifdef _WIN32
// The process's end (the entry point).
WINBASEAPI __declspec(noreturn) void WINAPI ExitProcess(UINT uExitCode);
#endif

// Waveform-audio output (bounce sound).
WINMMAPI MMRESULT WINAPI waveOutOpen(LPHWAVEOUT phwo, UINT uDeviceID, LPCWAVEFORMATEX pwfx,
                                     DWORD_PTR dwCallback, DWORD_PTR dwInstance, DWORD fdwOpen);
WINMMAPI MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);
WINMMAPI MMRESULT WINAPI waveOutWrite(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);
WINMMAPI MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);
WINMMAPI MMRESULT WINAPI waveOutClose(HWAVEOUT hwo);

} // extern "C"

#endif
