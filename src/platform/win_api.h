// The one include that decides where the Windows calls come from: <windows.h> on Windows; on any
// other system the declarations below, supplied at link time by a layer of the project's own
// (src/platform/linux for the terminal program, src/platform/record for the tests).
#pragma once

#include "platform/win_types.h"

#ifndef _WIN32

#define WINAPI
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
BOOL AllocConsole();
BOOL FreeConsole();
HANDLE GetStdHandle(DWORD nStdHandle);
BOOL SetConsoleTitleA(LPCSTR lpConsoleTitle);
BOOL SetConsoleDisplayMode(HANDLE hConsoleOutput, DWORD dwFlags,
                           PCOORD lpNewScreenBufferDimensions);
BOOL SetConsoleWindowInfo(HANDLE hConsoleOutput, BOOL bAbsolute, const SMALL_RECT* lpConsoleWindow);
BOOL SetConsoleScreenBufferSize(HANDLE hConsoleOutput, COORD dwSize);
BOOL SetConsoleCursorInfo(HANDLE hConsoleOutput, const CONSOLE_CURSOR_INFO* lpConsoleCursorInfo);
BOOL WriteConsoleOutputA(HANDLE hConsoleOutput, const CHAR_INFO* lpBuffer, COORD dwBufferSize,
                         COORD dwBufferCoord, PSMALL_RECT lpWriteRegion);

// Process heap (console surface, sound, main routine).
HANDLE GetProcessHeap();
LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes);
BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem);

// High-resolution performance counter (clock).
BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);

// Waveform-audio output (bounce sound).
MMRESULT waveOutOpen(LPHWAVEOUT phwo, UINT uDeviceID, LPCWAVEFORMATEX pwfx, DWORD_PTR dwCallback,
                     DWORD_PTR dwInstance, DWORD fdwOpen);
MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);
MMRESULT waveOutWrite(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);
MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);
MMRESULT waveOutClose(HWAVEOUT hwo);

} // extern "C"

#endif
