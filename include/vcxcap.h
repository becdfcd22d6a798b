/*
 * vcxcap: live video capture through DirectShow behind flat C exports.
 *
 * Every export uses the C calling convention and returns a 32-bit signed
 * integer; negative values are failures, numbered per export. The library
 * works on up to 32 capture slots; every slot-bound export works on the
 * active slot chosen with vcx_SetActiveSel and takes no slot argument.
 * All exports are to be called on the thread that called vcx_Init.
 *
 * Text the host passes in to name a platform object is NUL-terminated
 * UTF-16; text the library returns is in the system ANSI code page.
 *
 * This header is valid C89 and C++.
 */
#ifndef VCXCAP_H
#define VCXCAP_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef VCXAPI
#define VCXAPI __cdecl
#endif

/* A pointer-sized signed integer: 32 bits in a 32-bit host, 64 in a 64-bit one. */
typedef ptrdiff_t vcx_intptr;

/* --- Library and slot management ---------------------------------------- */

/*
 * Starts COM on the calling thread (single-threaded apartment).
 * Returns the HRESULT of CoInitialize unchanged: 0 S_OK, 1 S_FALSE (COM was
 * already started on this thread), negative when COM refused (for example
 * RPC_E_CHANGED_MODE). -1 when vcx_Init already ran without vcx_Exit.
 */
int VCXAPI vcx_Init(void);

/*
 * Ends what vcx_Init started. Closes no slot: close slots first.
 * COM is uninitialised only when vcx_Init's CoInitialize succeeded.
 * 0 on success; -1 when vcx_Init has not run.
 */
int VCXAPI vcx_Exit(void);

/* The library version 2.1.0 as the number 210. Needs no vcx_Init. */
int VCXAPI vcx_Version(void);

/* Selects the active slot. 0 on success; -1 when index is outside 0..31. */
int VCXAPI vcx_SetActiveSel(int index);

/* The index of the active slot, 0..31. */
int VCXAPI vcx_GetActiveSel(void);

/* State of the active slot: 0 closed, 2 open, 3 running. */
int VCXAPI vcx_GetRef(void);

/* --- Close ---------------------------------------------------------------- */

/*
 * Stops a running graph, releases every object of the active slot and marks
 * it closed. 0 on success; -1 when the slot is not open or running.
 */
int VCXAPI vcx_Close(void);

/* --- Open ----------------------------------------------------------------- */

/*
 * Builds the capture graph of the active slot for the video capture device at
 * position deviceIndex of the video device list: Filter Graph Manager, a
 * Sample Grabber restricted to 24-bit RGB, Capture Graph Builder 2 and the
 * device's filter. The graph is not run.
 *
 * mode: 0 Video Renderer, 1 VMR-7, 2 VMR-9, 6 Null Renderer, 300 AVI file
 * without display, 301 AVI file with preview; other values build no output.
 * reserved: must not be negative.
 * fileOrRenderMode, codecOrStreams: mode-dependent; a 32-bit host passes
 * 32-bit values, a 64-bit host full pointers.
 *
 * Returns 0 (or 1 when the device refused a requested format) with the slot
 * open. Failures leave the slot closed:
 *  -1 vcx_Init not called       -2 slot already open or running
 *  -6 deviceIndex or reserved negative (nothing created)
 *  -30 Filter Graph Manager not created   -31 Sample Grabber not created
 *  -32 no ISampleGrabber        -33 SetMediaType failed
 *  -34 Sample Grabber not added to the graph
 *  -35 Capture Graph Builder 2 not created  -36 SetFiltergraph failed
 *  -37 no IMediaControl         -38 System Device Enumerator not created
 *  -3 no video input category enumerator
 *  -4 deviceIndex not less than the number of video input devices
 *  -58 no IVideoWindow
 */
int VCXAPI vcx_Open(int deviceIndex, int mode, int reserved, vcx_intptr fileOrRenderMode,
                    vcx_intptr codecOrStreams);

/* --- Name lists ------------------------------------------------------------ */

/*
 * Every list export appends a name list to the NUL-terminated text already in
 * the caller's buffer, starting at its first NUL byte (a buffer whose first
 * byte is 0 receives the list alone): each entry is the name in the system
 * ANSI code page followed by CR LF ("\r\n"), and one NUL follows the last
 * entry. Entries come in the platform's order. With no entries, and on every
 * failure, the buffer is left as it was.
 *
 * Each list has a size query answering 1 + the sum of (entry length + 2): the
 * bytes the list writes into an empty buffer, the NUL included. The buffer
 * needs the length of the text already in it plus that size; the list exports
 * take no buffer length. The list and its size query treat every entry alike.
 *
 * A name that cannot be read, or whose ANSI form does not fit its conversion
 * buffer (1023 bytes for device names, 255 for compressor and filter names,
 * the NUL excluded), is listed as an empty entry (CR LF alone), so that
 * position n of the video device list stays device index n of vcx_Open.
 */

/* --- Device and compressor lists ------------------------------------------ */

/*
 * Appends the FriendlyName of every video capture device (audio 0) or audio
 * capture device (any other audio value) to buffer, as a name list; line n
 * of the video device list names device index n of vcx_Open. A device without
 * a property bag or a string FriendlyName gets an empty entry.
 * Returns the number of entries appended (0 or more), or:
 *  -1 vcx_Init not called, or the System Device Enumerator not created
 *  -2 no device in the category (no enumerator for it)
 *  -3 buffer is null (nothing written)
 */
int VCXAPI vcx_GetDeviceList(char* buffer, int audio);

/*
 * The size of the list vcx_GetDeviceList writes for the same audio value,
 * in bytes, NUL included (1 + the sum of entry length + 2), or -1 / -2 as
 * for vcx_GetDeviceList.
 */
int VCXAPI vcx_GetDeviceListSize(int audio);

/*
 * Appends the FriendlyName of every video compressor (audio 0) or audio
 * compressor (any other audio value) to buffer, as a name list; a video
 * compressor's name, as UTF-16, is the compressor name vcx_Open takes.
 * A compressor without a property bag or a string FriendlyName gets an empty
 * entry.
 * Returns the number of entries appended (0 or more), or:
 *  -1 vcx_Init not called     -2 System Device Enumerator not created
 *  -3 no compressor in the category (no enumerator for it)
 *  -4 buffer is null (nothing written)
 */
int VCXAPI vcx_GetCodecList(char* buffer, int audio);

/*
 * The size of the list vcx_GetCodecList writes for the same audio value, in
 * bytes, NUL included, or -1 / -2 / -3 as for vcx_GetCodecList.
 */
int VCXAPI vcx_GetCodecListSize(int audio);

/*
 * Runs the size query that bufferType selects and returns its result
 * unchanged, failures included:
 *  0 vcx_GetDeviceListSize(0)   video capture device list
 *  1 vcx_GetDeviceListSize(1)   audio capture device list
 *  2 vcx_GetStreamFilterListSize()   graph filter list of the active slot
 *  3 vcx_GetCodecListSize(0)    video compressor list
 *  4 vcx_GetCodecListSize(1)    audio compressor list
 * -1 for any other bufferType, without running anything.
 */
int VCXAPI vcx_GetBufferSize(int bufferType);

/* --- Graph filter list ------------------------------------------------------ */

/*
 * Appends the name of every filter in the active slot's graph, as the graph
 * knows it ("Device Filter", "Sample Grabber", the output's filters and those
 * the platform added), to buffer as a name list, in the graph's order.
 * A filter whose QueryFilterInfo fails gets an empty entry; a graph that
 * hands out no filter enumerator lists nothing.
 * Returns the number of entries appended (0 or more), or:
 *  -1 the active slot is not open or running
 *  -2 the active slot has no graph
 *  -3 buffer is null (nothing written)
 */
int VCXAPI vcx_StreamFilterList(char* buffer);

/* The same as vcx_StreamFilterList, under a second name. */
int VCXAPI vcx_GetStreamFilterList(char* buffer);

/*
 * The size of the list vcx_StreamFilterList writes, in bytes, NUL included,
 * or -1 / -2 as for vcx_StreamFilterList.
 */
int VCXAPI vcx_GetStreamFilterListSize(void);

#ifdef __cplusplus
}
#endif

#endif /* VCXCAP_H */
