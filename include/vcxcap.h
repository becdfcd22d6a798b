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

/* Every export uses the C calling convention. */
#define VCXAPI __cdecl

/* A pointer-sized signed integer: 32 bits in a 32-bit host, 64 in a 64-bit one. */
typedef ptrdiff_t vcx_intptr;

/* --- Library and slot management ---------------------------------------- */

/*
 * Starts COM on the calling thread (single-threaded apartment) and marks the
 * library initialised, whatever COM answered. Returns the HRESULT of
 * CoInitialize unchanged: 0 S_OK, 1 S_FALSE (COM was already started on this
 * thread), negative when COM refused (for example RPC_E_CHANGED_MODE).
 * -1 when vcx_Init already ran without vcx_Exit since; COM is not called.
 */
int VCXAPI vcx_Init(void);

/*
 * Ends what vcx_Init started and marks the library not initialised. Closes
 * no slot: close slots first. COM is uninitialised only when vcx_Init's
 * CoInitialize succeeded. 0 on success; -1 when the library is not
 * initialised (vcx_Init not called, or vcx_Exit called since); -2 when
 * called from a message handler during a frame wait (nothing done).
 */
int VCXAPI vcx_Exit(void);

/* The library version 2.1.0 as the number 210. Needs no vcx_Init. */
int VCXAPI vcx_Version(void);

/*
 * Selects the active slot, the one every slot-bound export works on; touches
 * no slot. Needs no vcx_Init. 0 on success; -1 when index is outside 0..31,
 * leaving the active slot unchanged.
 */
int VCXAPI vcx_SetActiveSel(int index);

/* The index of the active slot, 0..31. Needs no vcx_Init. */
int VCXAPI vcx_GetActiveSel(void);

/* State of the active slot: 0 closed, 2 open, 3 running. Needs no vcx_Init. */
int VCXAPI vcx_GetRef(void);

/* --- Close ---------------------------------------------------------------- */

/*
 * Closes the active slot: stops its graph when it is running; when
 * vcx_Play or vcx_ReSize placed the video window since the slot was opened,
 * hides that window and detaches it from its owner; releases every object of
 * the slot and marks it closed. The requested capture format stays.
 * 0 on success (also when stopping failed); -1 when the slot is not open or
 * running.
 */
int VCXAPI vcx_Close(void);

/* --- Open ----------------------------------------------------------------- */

/*
 * Builds the capture graph of the active slot for the video capture device at
 * position deviceIndex of the video device list: Filter Graph Manager, a
 * Sample Grabber restricted to 24-bit RGB ("Sample Grabber"), Capture Graph
 * Builder 2 and the device's filter ("Device Filter"), then the output of
 * mode, fed from the device's preview stream through the Sample Grabber:
 *   0   Video Renderer ("Video Renderer")
 *   1   Video Mixing Renderer 7 ("VMR7"): fileOrRenderMode is its rendering
 *       mode, codecOrStreams its number of streams (both taken as 32-bit)
 *   2   Video Mixing Renderer 9 ("VMR9"): the same for VMR-9
 *   6   Null Renderer ("Null Renderer"), no display
 *   300 AVI file, preview into a Null Renderer ("Null Renderer"), no display
 *   301 AVI file, preview into a renderer the graph builder chooses
 * For 300 and 301, fileOrRenderMode is the address of the file name and
 * codecOrStreams null (no compressor) or the address of the exact friendly
 * name of a video compressor (case and spaces count), which is added to the
 * graph under that name; both are NUL-terminated UTF-16. Other modes build
 * no output and ignore both arguments. The graph is not run and no window is
 * placed.
 * reserved: must not be negative; has no other effect.
 *
 * Modes 300 and 301 record sound too when the slot has an audio device
 * (vcx_SetAudioDevice): after the video's capture stream, the audio device
 * ("Audio Capture") joins the graph, the requested audio format is asked of
 * its capture pin, the audio compressor ("Audio Compressor") joins when one
 * is chosen, and the audio capture stream is rendered into the same file;
 * on Windows' AVI Mux the audio stream is the master stream and the streams
 * are interleaved as captured (one second at most between chunks); the audio
 * device's clock, when it offers one, becomes the graph's.
 *
 * Returns 0 with the slot open, or 1 when the device refused a requested
 * capture format and the slot opened all the same; 2 is added when the audio
 * device refused the requested audio format (or has no stream configuration)
 * and records in its own (so 2 or 3; a slot without an audio device never
 * sees them). Checked before anything is created, leaving the slot as it was:
 *  -1 library not initialised (vcx_Init not called, or vcx_Exit called since)
 *  -2 slot already open or running
 *  -6 deviceIndex or reserved negative
 * Every other failure releases what was made and leaves the slot closed:
 *  -30 Filter Graph Manager not created   -31 Sample Grabber not created
 *  -32 no ISampleGrabber        -33 SetMediaType failed
 *  -34 Sample Grabber not added to the graph
 *  -35 Capture Graph Builder 2 not created  -36 SetFiltergraph failed
 *  -37 no IMediaControl         -38 System Device Enumerator not created
 *  -3 no video input category enumerator
 *  -4 deviceIndex not less than the number of video input devices
 *  -57 a capture format was requested (vcx_SetDevWidth, vcx_SetDevHeight,
 *      vcx_SetDevFrameRate) and vcx_SetDevCapConfig failed: no device filter,
 *      or its capture pin has no stream configuration
 *  mode 0: -39 Video Renderer not created, -79 not added, -76 preview render
 *      failed (E_FAIL, E_INVALIDARG or E_POINTER; other results go on with
 *      the output unconnected)
 *  mode 1: -40 VMR-7 not created, -41 no IVMRFilterConfig, -87 rendering
 *      mode refused, -88 number of streams refused, -89 not added, -86
 *      preview render failed (as for mode 0)
 *  mode 2: -42, -43, -97, -98, -99, -96: the same steps for VMR-9
 *  mode 6: -44 Null Renderer not created, -59 not added, -56 preview render
 *      failed (as for mode 0)
 *  modes 300, 301 without a compressor: -45 no output file made, -46 capture
 *      stream not connected to the file
 *  modes 300, 301 with a compressor: -47 System Device Enumerator not
 *      created, -48 no video compressor listed, -49 no compressor has exactly
 *      that friendly name, -50 no output file made, -51 capture stream not
 *      connected through the compressor to the file
 *  mode 300: -52 Null Renderer not created, -53 not added under its own name,
 *      -54 preview not connected
 *  mode 301: -55 preview not connected
 *  modes 300, 301 with an audio device: -60 System Device Enumerator not
 *      created, -61 no audio input category enumerator, -62 the chosen audio
 *      device is past the list now, -63 the audio device not bound or not
 *      added, -64 System Device Enumerator not created (audio compressor
 *      search), -65 no audio compressor listed, -66 no audio compressor has
 *      the chosen name now, -67 the audio compressor not bound or not added,
 *      -68 audio capture stream not connected to the file, -69 the AVI Mux
 *      has no IConfigAviMux or refused the audio as master stream, -70 it has
 *      no IConfigInterleaving or refused the capture interleaving, -71 the
 *      graph has no IMediaFilter or refused the audio device's clock
 *  -58 no IVideoWindow
 */
int VCXAPI vcx_Open(int deviceIndex, int mode, int reserved, vcx_intptr fileOrRenderMode,
                    vcx_intptr codecOrStreams);

/* --- Stream control ------------------------------------------------------- */

/*
 * Window handles are passed as 32-bit integers (a 64-bit host passes the
 * handle's low 32 bits, as Windows keeps handles within them) and
 * sign-extended into the handle. Placing the video window means, each result
 * ignored: make owner its owner, make it a child window that clips its
 * siblings, put it at left, top (owner's client coordinates) with width and
 * height, bring it to the foreground and show it. It is harmless where the
 * output has no window (modes 6, 300).
 */

/*
 * Runs the graph of the open active slot: places the video window in owner,
 * switches the Sample Grabber's frame buffering on, then runs the graph and
 * marks the slot running whatever the run answered.
 * 0 when the graph answered S_OK; 1 for any other answer (S_FALSE: still
 * changing to running; failures alike).
 * -1 slot not open; -2 slot already running (nothing done); -3 the slot has
 * no graph control (the window is placed, nothing is run).
 */
int VCXAPI vcx_Play(int owner, int left, int top, int width, int height);

/*
 * Runs the graph of the open active slot without any window call: switches
 * frame buffering on, runs the graph and marks the slot running whatever the
 * run answered. 0 or 1 as for vcx_Play.
 * -1 slot not open; -2 slot already running; -3 no Sample Grabber; -4 no
 * graph control (buffering is switched on, nothing is run).
 */
int VCXAPI vcx_Play2(void);

/*
 * Places the video window of the open or running active slot in owner (see
 * above); touches neither the graph nor buffering.
 * 0 on success; -1 slot not open; -2 the slot has no video window.
 */
int VCXAPI vcx_ReSize(int owner, int left, int top, int width, int height);

/*
 * Stops the graph of the running active slot and marks it open, whatever the
 * stop answered; frame buffering stays as it is.
 * 0 on success; -1 slot not running; -2 the slot has no graph control.
 */
int VCXAPI vcx_Stop(void);

/*
 * Frame buffering of the running active slot's Sample Grabber, and the
 * library-wide record of the last switch (one value for all slots, not
 * changed by the run calls):
 *   1: switches buffering on and records 1; returns 0
 *   0: switches buffering off and records 0; returns 0
 *  -1: returns the recorded value (0 before any switch)
 * any other value changes nothing and returns 0.
 * -1 slot not running (also for the query); -2 no Sample Grabber.
 */
int VCXAPI vcx_SetCapConfig(int value);

/*
 * The filter state of the open or running active slot's graph, after waiting
 * without a time limit for a state change in progress to end:
 * 0 stopped, 1 paused, 2 running.
 * -1 slot not open; -2 the graph failed to report its state (E_FAIL, or any
 * failure that reports no state); -3 the slot has no graph control.
 */
int VCXAPI vcx_GetState(void);

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
 *  5 vcx_GetImageMemSize(0)     bits of the active slot's newest frame
 *  6 vcx_GetImageMemSize(1)     its frame header (44)
 *  7 vcx_GetDevCapConfigSize(0) frame-rate list of the capture device
 *  8 vcx_GetDevCapConfigSize(1) width list of the capture device
 *  9 vcx_GetDevCapConfigSize(2) height list of the capture device
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

/* --- Frame access ----------------------------------------------------------
 * The newest frame the active slot's Sample Grabber holds: 24-bit RGB DIB
 * rows as the capture pin delivers them, and a 44-byte frame header laid out
 * as a BITMAPINFO (the connected format's 40-byte BITMAPINFOHEADER, then 4
 * zero bytes). Frames are buffered only while the slot runs with sample
 * buffering on (vcx_Play2, vcx_Play, vcx_SetCapConfig).
 */

/*
 * The size a frame buffer needs. headerFlag 0: the bits size, the connected
 * media type's lSampleSize (answered from the connected format, so no frame
 * need have been buffered); any other value: 44, the header size, without
 * asking the grabber.
 * Failures: -1 slot not open or running; -2 connected media type not
 * available (grabber not connected, or its format holds no VIDEOINFOHEADER);
 * -3 the slot has no grabber.
 */
int VCXAPI vcx_GetImageMemSize(int headerFlag);

/*
 * Copies the newest frame straight from the grabber into bits and its header
 * into header. bitsSize: on entry the capacity of bits in bytes, on return
 * the bytes copied; bits and bitsSize go to ISampleGrabber::GetCurrentBuffer
 * unchanged (a null bits asks only for the size). header: at least 44 bytes,
 * written only on success. Size the buffers with vcx_GetImageMemSize.
 * 0 on success. Failures, with header untouched:
 *  -1 slot not open or running     -2 connected media type not available
 *  -3 buffering off                -4 bits smaller than the frame
 *  -5 bitsSize null                -6 grabber not connected
 *  -7 no frame buffered yet        -8 the slot has no grabber
 *  -9 header null (nothing copied)
 *  -12 the grabber failed to copy the frame in another way
 */
int VCXAPI vcx_GetImageMem(void* bits, int* bitsSize, void* header);

/*
 * Paints the newest frame unscaled onto the device context hdc (an HDC as a
 * 32-bit value) with SetDIBitsToDevice: the width x height pixels from the
 * frame's origin (its lower-left corner for a bottom-up frame) to destX,
 * destY in the context's logical units. Passing the frame's own width and
 * height paints the whole frame. At most the frame's own rows are painted,
 * whatever height says.
 * 0 on success. Failures:
 *  -1 slot not open or running     -2 connected media type not available
 *  -3 buffering off                -4 frame larger than lSampleSize
 *  -5 E_POINTER from the grabber   -6 grabber not connected
 *  -7 no frame buffered yet        -8 no scan line painted
 *  -9 the slot has no grabber      -10 no memory for the working copy
 *  -12 the grabber failed to copy the frame in another way (nothing painted)
 */
int VCXAPI vcx_GetImage(int hdc, int destX, int destY, int width, int height);

/* --- Snapshot ------------------------------------------------------------- */

/*
 * Writes the newest frame to the file path (ANSI, handed to CreateFileA
 * unchanged; an existing file is replaced, no folder is created): a 14-byte
 * file header ("BM", file size 54 + n, bits at offset 54), the connected
 * format's 40-byte BITMAPINFOHEADER unchanged, then the n bytes the grabber
 * copied. The file is created only after the frame was copied.
 * 0 on success. Failures:
 *  -1 slot not open or running     -2 connected media type not available
 *  -3 buffering off                -4 frame larger than lSampleSize
 *  -5 E_POINTER from the grabber   -6 grabber not connected
 *  -7 no frame buffered yet        -8 the file could not be created
 *  -9 the slot has no grabber      -10 a write failed or fell short: the
 *                                      partial file is deleted
 *  -11 no memory for the working copy
 *  -12 the grabber failed to copy the frame in another way
 * -1 to -7, -9, -11 and -12 leave the file system untouched.
 */
int VCXAPI vcx_SaveBMP(const char* path);

/* --- Overlay -------------------------------------------------------------- */

/*
 * Lays the bitmap selected into hdc (an HDC as a 32-bit value) over the
 * picture of a running slot opened with the VMR-7 (mode 1) or VMR-9 (mode 2),
 * through IVMRMixerBitmap(9)::SetAlphaBitmap, replacing any earlier overlay.
 * srcLeft..srcBottom: the part of the bitmap used, in its pixels.
 * alpha: constant opacity. destLeft..destBottom: where it goes, in the
 * renderer's normalized coordinates (0.0 to 1.0 across the picture).
 * useColorKey 1: pixels of the key colour are transparent; any other value:
 * no colour key. keyRed, keyGreen, keyBlue: the key colour; only the low byte
 * of each counts. The five float arguments are single precision.
 * Returns 0 on success. Failures:
 *  -1 slot not running             -2 output mode 0 (no mixer)
 *  -3 the mode's renderer is missing
 *  -4 E_INVALIDARG   -5 E_POINTER   -6 E_OUTOFMEMORY   -7 E_FAIL
 *     (the renderer refused the bitmap)
 *  -8 output mode other than 0, 1, 2 (no renderer is called)
 *  -9 the renderer offers no mixer-bitmap interface
 * Any other renderer answer is returned unchanged (S_FALSE as 1, other
 * failures as their negative HRESULT).
 */
int VCXAPI vcx_VMRMixImage(int hdc, int srcLeft, int srcTop, int srcRight, int srcBottom,
                           float alpha, float destLeft, float destTop, float destRight,
                           float destBottom, int useColorKey, int keyRed, int keyGreen,
                           int keyBlue);

/* --- Capture format ------------------------------------------------------- */

/*
 * Store the capture width, height (negative: top-down) or frame rate (frames
 * per second) that the active slot applies to its device when it is opened.
 * No check of any kind, in every slot state; the values survive vcx_Close and
 * apply again at every later open of the slot. An open or running slot keeps
 * its current format until vcx_SetDevCapConfig runs. Always return 0.
 */
int VCXAPI vcx_SetDevWidth(int width);
int VCXAPI vcx_SetDevHeight(int height);
int VCXAPI vcx_SetDevFrameRate(double framesPerSecond);

/*
 * Applies the active slot's requested width, height and frame rate to every
 * format of the device's capture pin that carries a VIDEOINFOHEADER of at
 * least 88 bytes, in order, through IAMStreamConfig::SetFormat: the width
 * and height as stored (0 included) and the frame interval 10000000 / rate
 * truncated to 32 bits (-2147483648 for a rate of 0, NaN, or too small).
 * The format in force afterwards is the last one the device took.
 * vcx_Open calls it when any requested value is non-zero.
 *   0 every format set (also when the device has none that qualifies)
 *   1 the device refused a format; the ones set before it stay set and the
 *     later ones are not tried
 *  -1 vcx_Init not called
 *  -2 the slot has no capture graph builder (not opened, or closed)
 *  -3 the slot has no device filter
 *  -4 the device's capture pin has no stream configuration
 */
int VCXAPI vcx_SetDevCapConfig(void);

/*
 * Appends one line per qualifying format of the device's capture pin (see
 * vcx_SetDevCapConfig) to each of three NUL-terminated ANSI texts: to
 * rateList the frame rate as "%1.2f" (30.00), to widthList the width and to
 * heightList the height as "%1d"; each line ends in CR LF and line k of the
 * three texts describes the same format. Size each buffer with
 * vcx_GetDevCapConfigSize plus the length of the text already in it.
 *   0 done (the texts are unchanged when no format qualifies)
 *  -1 vcx_Init not called
 *  -2 the slot has no capture graph builder (not opened, or closed)
 *  -3 the slot has no device filter
 *  -4 the device's capture pin has no stream configuration
 *  -5 a buffer is null; nothing is written to any of the three
 */
int VCXAPI vcx_GetDevCapConfig(char* rateList, char* widthList, char* heightList);

/*
 * The bytes that vcx_GetDevCapConfig writes into an empty buffer for one
 * list, final NUL included: listType 0 frame rates, 1 widths, 2 heights;
 * any other type, or a device without qualifying formats, gives 1.
 *  -1 vcx_Init not called
 *  -2 the slot has no capture graph builder (not opened, or closed)
 *  -3 the slot has no device filter
 *  -4 the device's capture pin has no stream configuration
 */
int VCXAPI vcx_GetDevCapConfigSize(int listType);

/*
 * One field of the first format of the device's capture pin: code 0 width,
 * 1 height, 2 bit rate, 3 bit error rate, 4 the low 32 bits of the frame
 * interval in 100 ns units, 5 the compression FourCC (0 for RGB). 0 for any
 * other code, for a device without formats, and when the first format has no
 * VIDEOINFOHEADER block of at least 88 bytes.
 *  -1 the slot is not open or running
 *  -2 IAMStreamConfig::GetNumberOfCapabilities failed
 *  -3 the slot has no capture graph builder
 *  -4 no stream configuration on the capture pin
 *  -5 the device's capability structure is not 128 bytes
 */
int VCXAPI vcx_GetCapInfo(int code);

/* --- Dialogs -------------------------------------------------------------- */

/*
 * Shows the property pages of the filter of the active slot's graph that
 * carries the UTF-16 name filterName (a line of the graph filter list), in
 * the platform's modal property frame owned by the window owner (a window
 * handle as a 32-bit integer, see Stream control), captioned with the
 * filter's name; returns once the frame has closed.
 *   0 the frame was shown (also when the platform could not show it)
 *  -1 the slot is not open or running
 *  -2 no filter of that name (or a null name), or it has no property pages
 *  -3 the slot has no graph
 *  -4 the filter could not report its name
 *  -5 the filter could not list its pages; no frame was shown
 */
int VCXAPI vcx_FilterProp(int owner, const wchar_t* filterName);

/*
 * Shows the property pages of the first pin of the active slot's device
 * filter in the platform's modal property frame owned by the window owner
 * (a window handle as a 32-bit integer), captioned with the fixed Japanese
 * title for "device pin properties" (U+30C7 U+30D0 U+30A4 U+30B9 U+30D4
 * U+30F3 U+306E U+30D7 U+30ED U+30D1 U+30C6 U+30A3); returns once the frame
 * has closed.
 *   0 the frame was shown (also when the platform could not show it)
 *  -1 the slot is not open or running
 *  -2 the device filter's pins cannot be enumerated
 *  -3 the pin enumerator cannot be reset
 *  -4 the device filter has no pin
 *  -5 the first pin has no property pages
 *  -6 the slot has no device filter
 *  -7 the pin could not list its pages; no frame was shown
 */
int VCXAPI vcx_DevPinProp(int owner);

/*
 * Shows a dialog of the video compressor that vcx_Open chose for AVI capture
 * (modes 300 and 301 with a compressor that offers dialogs): dialog is the
 * VfwCompressDialogs code (1 Config, 2 About, 4 QueryConfig, 8 QueryAbout),
 * window (a window handle as a 32-bit integer) its parent. No slot state
 * check.
 * Returns the compressor's HRESULT unchanged (for the query codes, 0 S_OK
 * means the dialog exists); -1 when the slot has no compressor dialogs.
 */
int VCXAPI vcx_CodecDialog(int window, int dialog);

/* --- Device controls -------------------------------------------------------
 * Camera properties of the open or running active slot's device, through its
 * filter's IAMVideoProcAmp (properties 0..9) and IAMCameraControl (10..16),
 * each asked afresh by every call. A host that never calls these exports
 * never touches either interface.
 */
#define VCX_CONTROL_BRIGHTNESS 0
#define VCX_CONTROL_CONTRAST 1
#define VCX_CONTROL_HUE 2
#define VCX_CONTROL_SATURATION 3
#define VCX_CONTROL_SHARPNESS 4
#define VCX_CONTROL_GAMMA 5
#define VCX_CONTROL_COLORENABLE 6
#define VCX_CONTROL_WHITEBALANCE 7
#define VCX_CONTROL_BACKLIGHTCOMPENSATION 8
#define VCX_CONTROL_GAIN 9
#define VCX_CONTROL_PAN 10
#define VCX_CONTROL_TILT 11
#define VCX_CONTROL_ROLL 12
#define VCX_CONTROL_ZOOM 13
#define VCX_CONTROL_EXPOSURE 14
#define VCX_CONTROL_IRIS 15
#define VCX_CONTROL_FOCUS 16

/*
 * The properties' names in number order, as vcx_GetDevControlList writes
 * them: an initializer for an array of 17 strings, for example
 *     static const char* const names[] = VCX_CONTROL_NAMES;
 */
#define VCX_CONTROL_NAMES                                                                          \
    {                                                                                              \
        "Brightness", "Contrast", "Hue", "Saturation", "Sharpness", "Gamma", "ColorEnable",        \
            "WhiteBalance", "BacklightCompensation", "Gain", "Pan", "Tilt", "Roll", "Zoom",        \
            "Exposure", "Iris", "Focus"                                                            \
    }

/* Modes and capabilities: auto 1, manual 2 (capabilities 3: both). */
#define VCX_CONTROL_AUTO 1
#define VCX_CONTROL_MANUAL 2

/*
 * The range of a property as the device reports it (GetRange): minimum,
 * maximum, step, default and capabilities (1 auto, 2 manual, 3 both; other
 * bits dropped). All five are written only on success.
 *   0 done
 *  -1 the slot is not open or running
 *  -2 property is not 0..16
 *  -3 a pointer is null; nothing written
 *  -4 the slot has no device filter
 *  -5 the device offers no IAMVideoProcAmp (properties 0..9) or no
 *     IAMCameraControl (10..16)
 *  -6 the device does not support the property (GetRange failed)
 */
int VCXAPI vcx_GetDevControlRange(int property, int* minimum, int* maximum, int* step,
                                  int* defaultValue, int* capabilities);

/*
 * The value the device holds now and its mode: flags 1 auto (the device moves
 * the value itself), 2 manual (a device that reports neither counts as
 * manual). Both are written only on success.
 *   0 done
 *  -1 .. -5 as for vcx_GetDevControlRange
 *  -6 the device does not support the property, or did not report it
 */
int VCXAPI vcx_GetDevControl(int property, int* value, int* flags);

/*
 * flags 2 (manual): sets the property to value; flags 1 (auto): switches it
 * to auto, value ignored (the device is sent the property's default). Nothing
 * is sent to the device unless every check passes; a device that refuses
 * keeps what it held, which vcx_GetDevControl reads back.
 *   0 done
 *  -1 the slot is not open or running
 *  -2 property is not 0..16
 *  -3 flags is neither 1 nor 2
 *  -4 the slot has no device filter
 *  -5 the device offers no interface for the property (see above)
 *  -6 the device does not support the property (GetRange failed)
 *  -7 the property cannot be in that mode (its capabilities lack it)
 *  -8 manual value below the minimum or above the maximum
 *  -9 the device refused (Set did not answer S_OK)
 */
int VCXAPI vcx_SetDevControl(int property, int value, int flags);

/*
 * Appends one line per property (in number order) whose range and value the
 * device reports, as a name list:
 *   name,number,minimum,maximum,step,default,capabilities,value,mode
 * for example "Brightness,0,-64,64,1,0,2,         20,2": value right-aligned
 * in 11 characters, so that a value that moves on its own (auto mode) between
 * the size query and the list keeps the line's length; capabilities and mode
 * as for vcx_GetDevControlRange and vcx_GetDevControl.
 * Returns the number of lines appended (0 or more), or:
 *  -1 the slot is not open or running
 *  -2 the slot has no device filter
 *  -3 buffer is null (nothing written)
 *  -4 the device offers neither IAMVideoProcAmp nor IAMCameraControl
 */
int VCXAPI vcx_GetDevControlList(char* buffer);

/*
 * The size of the list vcx_GetDevControlList writes, in bytes, NUL included,
 * or -1 / -2 / -4 as for vcx_GetDevControlList.
 */
int VCXAPI vcx_GetDevControlListSize(void);

/* --- Device paths ------------------------------------------------------------ */

/*
 * Appends the DevicePath of every video capture device to buffer, as a name
 * list: line n for device index n of vcx_Open (and line n of
 * vcx_GetDeviceList), an empty line for a device without a string
 * DevicePath. Two devices of one name have different paths, and a device
 * keeps its path when devices are plugged in another order.
 * Returns the number of entries appended (0 or more), or:
 *  -1 vcx_Init not called, or the System Device Enumerator not created
 *  -2 no video capture device (no enumerator for the category)
 *  -3 buffer is null (nothing written)
 */
int VCXAPI vcx_GetDevicePathList(char* buffer);

/*
 * The size of the list vcx_GetDevicePathList writes, in bytes, NUL included,
 * or -1 / -2 as for vcx_GetDevicePathList.
 */
int VCXAPI vcx_GetDevicePathListSize(void);

/* --- Frame sequence, frame waits and graph events ------------------------- */

/*
 * Every slot counts the frames that reach its Sample Grabber: when vcx_Open
 * succeeds it attaches a callback to the grabber that, on the graph's
 * streaming thread, only numbers each frame (1, 2, 3, ... from the open),
 * records its time and signals a waiting host; it copies nothing and takes
 * no lock. The numbers never decrease while the slot is open (a stop and a
 * new run go on counting) and start again at the next open. When the
 * callback cannot be attached the slot opens all the same, and the exports
 * below that read the count answer their "counts no frames" code.
 *
 * Which frame do copied bits belong to? vcx_GetImageMem copies what the
 * grabber holds, and the grabber replaces that before the count moves, so a
 * copy can hold a frame newer than vcx_GetFrameCount says: its number cannot
 * be known exactly. vcx_GetNextFrame can: while the host waits in it, it
 * asks for the next frame above after, and the callback of that frame copies
 * the frame's bits straight from its sample into the host's memory, then
 * publishes the frame's number with them (one atomic store after the copy).
 * Exactly one request is answered by exactly one frame, the number is the one
 * the callback gave that frame, and the copy is made before the grabber
 * passes the sample on, so the bits and the number always belong together;
 * a host that gives up waits for a copy under way to end, so nothing writes
 * into its memory after the call returned. A host that sees every frame
 * exactly once, in order:
 *
 *     int last = 0, n, size = capacity;
 *     while ((n = vcx_GetNextFrame(last, 1000, bits, &size, header)) > 0) {
 *         if (n != last + 1) { frames last + 1 .. n - 1 were missed }
 *         last = n;           bits hold frame n, size bytes of them
 *         size = capacity;
 *     }
 *
 * It misses frames only when it comes back later than the next frame
 * arrives; the numbers then show the gap. A slot with a frame queue
 * (vcx_SetFrameQueue) keeps copies of its newest frames, so that a host that
 * comes back late still gets frame last + 1 while the queue holds it.
 *
 * Frame numbers run from 1 to 2147483647 and then start again at 1. A number
 * counts as above another when it follows it by less than 2^30 frames in
 * that cycle (at 1000 fps, 12 days): after 2147483647, frame 1 is above it,
 * so the loop above goes on; a host that computes last + 1 wraps it to 1.
 *
 * Timeouts are milliseconds: 0 only looks (see each export), 1 to
 * 2147483647 wait at most that long, -1 waits without limit (but see the
 * start-up allowance); below -1 is refused. A wait also ends at once when
 * the device has been lost (EC_DEVICE_LOST announcing its removal reached
 * the graph), or when the graph stopped streaming on its own: EC_COMPLETE,
 * EC_USERABORT, EC_ERRORABORT, EC_ERRORABORTEX, EC_STREAM_ERROR_STOPPED or
 * EC_ERROR_STILLPLAYING reached the graph during this run; no frame comes
 * then until the slot runs again. The graph events a wait takes off the
 * graph to notice those are kept, in order, for vcx_GetEvent (up to 32;
 * beyond that they stay with the graph).
 *
 * Start-up allowance: a camera takes a moment to deliver its first frame
 * after a run (a few hundred milliseconds for many USB cameras, seconds for
 * some), and one held by another program never delivers. A wait without
 * limit (timeoutMs -1) made before the first frame of a run has arrived
 * ends with -13 once the allowance has passed since the run began: 10000 ms
 * unless vcx_SetStartupAllowance chose another; an allowance of 0 makes such
 * a wait wait for the first frame without limit, as the host then asked.
 * Once a frame of the run has arrived, -1 waits without limit.
 *
 * While it waits, the host's thread dispatches its window messages (a
 * MsgWaitForMultipleObjectsEx loop: PeekMessage, TranslateMessage,
 * DispatchMessage), as a single-threaded apartment must: the host's windows
 * paint, its timers run, and calls from other apartments into the thread
 * are served. A WM_QUIT taken meanwhile is posted again when the wait ends.
 * A message handler may call the library during the wait: every export
 * works as usual, but vcx_WaitFrame and vcx_GetNextFrame answer -14 (no wait
 * within a wait) and vcx_Exit answers -2 (COM must outlive the wait); a
 * handler that stops or closes the waiting slot ends the wait, which then
 * answers -1 once the handler has returned.
 */

/*
 * The number of frames that reached the active slot's Sample Grabber since
 * it opened, which is also the newest frame's number (0 before the first),
 * in the cycle of numbers above (1 again after 2147483647).
 *  -1 the slot is not open or running
 *  -2 the slot counts no frames
 */
int VCXAPI vcx_GetFrameCount(void);

/*
 * The newest frame's time in milliseconds, written to *milliseconds.
 *   0 the frame carries a time stamp: its start time in stream time (rounded
 *     down; stream time 0 is when the graph started running)
 *   1 the frame carries none (a preview stream's frames have none): its
 *     arrival, in milliseconds after the slot's first frame arrived
 *  -1 the slot is not open or running
 *  -2 milliseconds is null
 *  -3 the slot counts no frames
 *  -4 no frame has arrived yet
 * Nothing is written on a failure.
 */
int VCXAPI vcx_GetFrameTime(int* milliseconds);

/*
 * The rate the frames arrive at, in thousandths of a frame per second
 * (29970 for 29.97 fps): the mean rate between the first and the last of
 * the frames that arrived in the second before the call; 0 when fewer than
 * two did (before the first frames, or after a second without any).
 *  -1 the slot is not open or running
 *  -2 the slot counts no frames
 */
int VCXAPI vcx_GetFrameRate(void);

/*
 * The number of frames the device reports it dropped
 * (IAMDroppedFrames::GetNumDropped on its capture pin), 0 or more.
 *  -1 the slot is not open or running
 *  -2 the slot has no capture graph builder or no device filter
 *  -3 the device offers no IAMDroppedFrames on its capture pin
 *  -4 the device did not report the number (or reported a negative one)
 */
int VCXAPI vcx_GetDroppedFrames(void);

/*
 * Blocks the calling thread until a frame numbered above after has reached
 * the running slot's grabber, and returns the newest frame's number (above
 * after: frames may have come meanwhile); at once when one already has.
 * timeoutMs 0 only looks.
 *  -1 the slot is not running (closed, or open and stopped), or a message
 *     handler stopped or closed it during the wait
 *  -2 the slot counts no frames
 *  -3 no such frame within timeoutMs
 *  -4 the device has been lost (no frame above after arrived before)
 *  -5 after is negative
 *  -6 timeoutMs is below -1
 *  -7 the wait itself failed
 * -12 the graph stopped streaming on its own (an error or end-of-stream
 *     event, kept for vcx_GetEvent) and no frame above after arrived before
 * -13 timeoutMs -1 and no frame of this run within the start-up allowance
 * -14 called from a message handler during a wait (nothing done)
 * (codes -8 to -11 are vcx_GetNextFrame's alone)
 */
int VCXAPI vcx_WaitFrame(int after, int timeoutMs);

/*
 * Copies the next frame numbered above after into bits (*bitsSize: on
 * entry the capacity, on return the bytes copied) and the 44-byte frame
 * header of the connected format into header, and returns the frame's
 * number, which is exactly the frame the bits are (see above).
 * Without a frame queue it waits for the next frame to reach the running
 * slot's grabber (one that arrives after the call began), which the graph's
 * streaming thread copies into bits as it arrives. With a frame queue it copies the oldest queued
 * frame numbered above after at once (after + 1 when the host is back within the queue's depth),
 * and waits only when the queue holds none. Works whether or not the grabber buffers frames: a host
 * that takes its frames only through this export switches buffering off (vcx_SetCapConfig(0) after
 * the run) so that each frame is copied once, into its memory (twice with a queue: into the queue
 * on the streaming thread, then out of it). timeoutMs 0 takes only a frame that is queued or being
 * handed over at that instant: give a frame interval or more. Size bits with
 * vcx_GetImageMemSize(0).
 *  -1 .. -7 as vcx_WaitFrame (-3: no frame within timeoutMs)
 *  -8 bits, bitsSize or header is null
 *  -9 the connected media type is not available
 * -10 *bitsSize is smaller than a frame (before waiting, by the connected
 *     format; or the frame that came was larger: that frame is gone)
 * -11 the frame's bits could not be read
 * -12 .. -14 as vcx_WaitFrame
 * Nothing is written on a failure.
 */
int VCXAPI vcx_GetNextFrame(int after, int timeoutMs, void* bits, int* bitsSize, void* header);

/*
 * The depth of the active slot's frame queue: how many of its newest frames
 * the slot keeps copies of for vcx_GetNextFrame, 0 for none (the default).
 * Kept across vcx_Close like the requested format; applied by every later
 * vcx_Open and at once to an open slot. The queue takes depth x
 * lSampleSize bytes of the process heap for as long as the slot is open
 * (1920x1080 RGB24: about 6 MB a frame), and its streaming thread copies
 * every frame into it (about half a millisecond for 1920x1080 on a current
 * machine).
 *   0 done (a closed slot: stored for the next open)
 *  -1 depth below 0 or above 1024 (nothing changed)
 *  -2 the slot is running: stop it first (nothing changed)
 *  -3 an open slot: the memory could not be had; the slot keeps no queue
 *     and the depth stays what it was
 *  -4 an open slot: the connected media type is not available; as -3
 */
int VCXAPI vcx_SetFrameQueue(int depth);

/*
 * The frame queue of the active slot: for an open or running slot the depth
 * of the queue it has (0 when it has none, also when the memory for the
 * depth asked for could not be had at open); for a closed slot the depth the
 * next open asks for. Never fails.
 */
int VCXAPI vcx_GetFrameQueue(void);

/*
 * The start-up allowance of the active slot in milliseconds (see above):
 * how long a wait without limit waits for the first frame of a run before it
 * answers -13; 0 waits for it without limit. Kept across vcx_Close, in any
 * slot state; 10000 until set.
 *   0 done
 *  -1 milliseconds is negative (nothing changed)
 */
int VCXAPI vcx_SetStartupAllowance(int milliseconds);

/*
 * Takes the next event off the active slot's graph (IMediaEventEx::GetEvent
 * without waiting; first those a frame wait kept), frees its parameters
 * (FreeEventParams) and returns its code, with the low 32 bits of its two
 * parameters in *param1 and *param2. Among them: EC_COMPLETE (1),
 * EC_ERRORABORT (3, param1 the HRESULT: a failed write of the recording),
 * EC_STREAM_ERROR_STOPPED (6, param1 the HRESULT), EC_DEVICE_LOST (0x1F,
 * param2 0 removed, 1 back). A parameter that was a pointer means nothing
 * to the host.
 *   0 no event is waiting (nothing written)
 *  -1 the slot is not open or running
 *  -2 param1 or param2 is null (no event taken)
 *  -3 the graph offers no IMediaEventEx
 *  -4 the graph failed to hand out its next event
 */
int VCXAPI vcx_GetEvent(int* param1, int* param2);

/* --- Capabilities: every format of the capture pin, one chosen -------------
 * The device's capture pin describes its formats as capabilities
 * (IAMStreamConfig, indexes 0 .. count-1), each with a subtype (RGB24, YUY2,
 * NV12, MJPG, ...), a format type (VIDEOINFOHEADER or VIDEOINFOHEADER2), a
 * size and a frame rate range. These exports list them all, apply exactly one,
 * and report the format the device streams in. A host that never calls
 * vcx_SetDevFormat sees open apply the requested width, height and rate as
 * before.
 */

/*
 * Appends one line per capability of the open or running slot's device, in
 * index order (line n for index n), as a name list:
 *   index,subtype,formattype,width,height,bitcount,minfps,maxfps,fps
 * for example "1,MJPG,VideoInfo,1920,1080,24,30.00,30.00,30.00".
 * subtype: RGB1, RGB4, RGB8, RGB555, RGB565, RGB24, RGB32, ARGB32, the four
 * characters of a FourCC subtype (YUY2, NV12, MJPG, H264, ...), or the GUID
 * as {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}; formattype: VideoInfo,
 * VideoInfo2 or the GUID. width, height (negative: top-down) and bitcount
 * come from the format block (0 for another format type); minfps and maxfps
 * are the range of VIDEO_STREAM_CONFIG_CAPS (its two frame intervals, in
 * either order), fps the format's own rate, each as "%.2f"; a rate of 0.00
 * means the device reports none (an interval of 0). A capability the device
 * cannot describe (GetStreamCaps fails) is an empty line, so that line n
 * stays index n.
 * Returns the number of lines appended (0 or more), or:
 *  -1 the slot is not open or running
 *  -2 the slot has no capture graph builder or no device filter
 *  -3 buffer is null (nothing written)
 *  -4 the device's capture pin has no stream configuration
 *  -5 the device does not report video capabilities (the count failed, or
 *     its caps structure is not the 128 bytes of VIDEO_STREAM_CONFIG_CAPS)
 */
int VCXAPI vcx_GetDevFormatList(char* buffer);

/*
 * The size of the list vcx_GetDevFormatList writes, in bytes, NUL included,
 * or -1, -2, -4, -5 as for vcx_GetDevFormatList.
 */
int VCXAPI vcx_GetDevFormatListSize(void);

/*
 * Applies capability index of the open (not running) slot's device through
 * IAMStreamConfig::SetFormat, exactly as the device describes it, at
 * framesPerSecond: 0 keeps the capability's own rate, any other must lie
 * within its range (see minfps and maxfps; the interval sent is 10000000 /
 * framesPerSecond rounded to the nearest 100 ns). A device whose output is
 * already connected reconnects it in the new format or refuses; choose
 * before the output is built (a slot opened in a mode without output, such
 * as 5) where the graph cannot follow a change of subtype.
 * The choice is kept for the slot: every later vcx_Open applies it instead
 * of the requested width, height and rate (open then returns 1 when the
 * device does not take it, and fails with code -57 when the capture pin has
 * no stream configuration). index -1 forgets the choice in any slot state, so that
 * open applies the requested format again; the format in force stays.
 * On every failure the format in force and the kept choice are unchanged.
 *   0 done
 *  -1 the slot is not open or running
 *  -2 the slot has no capture graph builder or no device filter
 *  -3 the slot is running (stop it first)
 *  -4 the device's capture pin has no stream configuration
 *  -5 index is below -1 or not less than the number of capabilities
 *  -6 framesPerSecond is negative, not a number or infinite, or outside the
 *     capability's range (or not 0 for a type without a frame interval)
 *  -7 the device could not describe the capability (GetStreamCaps failed)
 *  -8 the device refused the capability (SetFormat failed)
 */
int VCXAPI vcx_SetDevFormat(int index, double framesPerSecond);

/*
 * The format the open or running slot's device streams in: fourcc the
 * subtype's FourCC (0x47504A4D for MJPG, 0x32595559 for YUY2) or, for the RGB
 * subtypes, the format's biCompression (0, BI_RGB); bitCount, width and
 * height (negative: top-down) from its format block; framesPerSecond
 * 10000000 / AvgTimePerFrame, or 0.0 when the format gives no interval (the
 * device reports no rate). Written only on success, which says where the
 * format was read:
 *   0 the capture pin's connected media type
 *   1 the capture pin is not connected and the preview pin is (a camera with
 *     a preview pin in a mode that renders only the preview): the preview
 *     pin's connected media type, the format of the frames the slot gets
 *   2 no pin of the device is connected (a mode without output): the format
 *     the capture pin's stream configuration reports (GetFormat), the one it
 *     connects with
 *  -1 the slot is not open or running
 *  -2 the slot has no capture graph builder or no device filter
 *  -3 a pointer is null; nothing written
 *  -4 the device has no capture pin
 *  -5 no pin is connected and the device reports no format
 *  -6 the format has no VIDEOINFOHEADER or VIDEOINFOHEADER2 block
 */
int VCXAPI vcx_GetDevFormat(int* fourcc, int* bitCount, int* width, int* height,
                            double* framesPerSecond);

/*
 * Events the library itself posts to a slot's graph, in the range of
 * EC_USER (0x8000); vcx_GetEvent hands them out like the graph's own.
 *
 * VCX_EVENT_RECORDING_TIME_JUMP: the library's own AVI writer (modes 300
 * and 301 where the graph builder has no file output, as on Wine) met a
 * sample whose time went back from its stream's previous sample, or forward
 * by more than 60 seconds. It wrote the sample right after the previous one
 * of its stream instead of at its time, and records on. Posted once per
 * jump. param1: the stream, 0 video, 1 audio; param2: the step in
 * milliseconds, the sample's time less the previous sample's (negative:
 * back), clamped to -2147483648..2147483647.
 */
#define VCX_EVENT_RECORDING_TIME_JUMP 0x8001

/* --- Recording with sound ------------------------------------------------ */

/*
 * The audio capture of the AVI modes. Like the requested capture format, the
 * choices are kept per slot, in every slot state; they survive vcx_Close and
 * are applied by every later vcx_Open of the slot in mode 300 or 301 (other
 * modes ignore them). A refused value leaves the slot's choice unchanged. A
 * slot whose audio device is none (the default) records exactly as without
 * these exports.
 *
 * vcx_SetAudioDevice: the audio capture device at position index of the audio
 * device list (vcx_GetDeviceList(buffer, 1)), or none for -1.
 *   0 stored
 *  -1 vcx_Init not called
 *  -2 index below -1
 *  -3 System Device Enumerator not created
 *  -4 no audio input category enumerator (no audio capture device listed)
 *  -5 index not less than the number of audio capture devices
 */
int VCXAPI vcx_SetAudioDevice(int index);

/*
 * vcx_SetAudioCodec: the audio compressor the sound is recorded through,
 * named exactly as the audio compressor list (vcx_GetCodecList(buffer, 1))
 * writes it (ANSI code page, case and spaces count), or none for a null or
 * empty name (the default: the device's PCM is recorded).
 *   0 stored
 *  -1 vcx_Init not called
 *  -2 name of 256 bytes or more
 *  -3 System Device Enumerator not created
 *  -4 no audio compressor category enumerator (none listed)
 *  -5 no audio compressor has exactly that name
 */
int VCXAPI vcx_SetAudioCodec(const char* name);

/*
 * vcx_SetAudioFormat: the PCM format asked of the audio device through
 * IAMStreamConfig::SetFormat on its capture pin: sampleRate samples per
 * second, channels, bitsPerSample; all three 0 (the default): the device's
 * own format. Checked here, needs no vcx_Init:
 *   0 stored
 *  -1 sampleRate outside 1000..384000 (and not all three 0)
 *  -2 channels outside 1..8
 *  -3 bitsPerSample not 8, 16, 24 or 32
 * A device that refuses the format records in its own; vcx_Open then says so
 * through its result (2 added to what it returns, see vcx_Open).
 */
int VCXAPI vcx_SetAudioFormat(int sampleRate, int channels, int bitsPerSample);

/*
 * vcx_GetAudioFormatList: the formats the audio capture device at position
 * device of the audio device list offers on its capture pin
 * (IAMStreamConfig::GetStreamCaps), one entry "RATE,CHANNELS,BITS" (from
 * the capability's WAVEFORMATEX; "44100,2,16") per capability that carries
 * one, in order, as a name list appended to buffer. The device is bound for
 * the call only; no slot is used. Returns the number of entries.
 * vcx_GetAudioFormatListSize: the bytes the list writes into an empty
 * buffer, NUL included.
 *  -1 vcx_Init not called
 *  -2 buffer is null (vcx_GetAudioFormatList only)
 *  -3 System Device Enumerator not created
 *  -4 no audio input category enumerator (no audio capture device listed)
 *  -5 device negative or not less than the number of audio capture devices
 *  -6 the device was not bound
 *  -7 Capture Graph Builder 2 not created
 *  -8 the device's audio capture pin has no stream configuration
 */
int VCXAPI vcx_GetAudioFormatList(int device, char* buffer);
int VCXAPI vcx_GetAudioFormatListSize(int device);

#ifdef __cplusplus
}
#endif

#endif /* VCXCAP_H */
