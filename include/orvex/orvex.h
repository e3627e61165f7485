/*
 * liborvex — reader link SDK for Orvex RFID readers.
 *
 * A flat C API over port handles. Every function is called from one thread
 * (the application's UI thread); transports run their own threads internally.
 *
 * Conventions
 *  - Strings are 8-bit, NUL-terminated.
 *  - A status result is ORVEX_OK (0) on success, ORVEX_FAILED (-1) on failure.
 *  - A length result is the number of bytes copied, or ORVEX_FAILED; with
 *    last error ORVEX_ERR_BUFFER_TOO_SMALL when the caller's buffer is
 *    smaller than the answer.
 *  - A handle that is not open is invalid: every handle function fails on it
 *    and Orvex_GetLastError answers ORVEX_ERR_INVALID_HANDLE.
 *  - Every failure value has a name below, next to the functions that
 *    return it; the numbers are part of the interface and never change.
 *  - List buffers hold NUL-terminated entries followed by one more NUL. An
 *    entry is added only when it, its NUL and the closing NUL fit. The result
 *    is the number of bytes used including the closing NUL (1 = empty list).
 *    The buffer must hold at least one byte.
 *
 * Port names given to Orvex_OpenPort, in order of recognition:
 *   "NAME:n"            bus address n (decimal) after the first colon; for
 *                       names starting with "/dev/" the text after the last
 *                       colon, and only when it is all digits. Default 1.
 *   "a.b.c.d[-port]", "[name][-port]"   LAN reader (default TCP port 10001)
 *   "... HID"           USB HID reader
 *   "... BT"            Bluetooth dongle ("BTW" is rejected)
 *   "/dev/...", "COMn", "\\.\COMn"      system serial port (COMn is /dev/ttyS(n-1))
 *   anything else       FTDI device with that USB serial number
 */
#ifndef ORVEX_ORVEX_H
#define ORVEX_ORVEX_H

#ifdef __cplusplus
extern "C" {
#endif

#define ORVEX_SDK_VERSION 223

/* Status and length results (plain ints, so they mix with every result
 * enumeration below). */
#define ORVEX_OK 0
#define ORVEX_FAILED (-1)

/* ---- Port management and identification -------------------------------- */

/* Opens a reader and identifies it with the version command.
 * baud: rate rounded down to a multiple of 100; the last two decimal digits
 *   select the line mode: 0 = 8N1, 1 = 8E1, 2 = 8O1, 3 = 8N2, other = 8N1.
 *   Replaced by 19200 unless the name is a system serial port.
 * timeout: response timeout in ms (capped at 300 while identifying).
 * Returns a handle > 0 (serial/FTDI from 1, HID from 10001, LAN from 20001)
 * or one of the open results below. A port is opened for this program
 * alone: after ORVEX_OPEN_FAILED, errno is EBUSY when another program holds
 * the serial line. */
int Orvex_OpenPort(const char *name, int baud, int timeout);

/* Open results of Orvex_OpenPort besides a handle. */
enum {
    ORVEX_OPEN_FAILED = -1,           /* cannot open or connect, or the name contains "BTW" */
    ORVEX_OPEN_NEGATIVE_TIMEOUT = -2, /* timeout below 0 */
    ORVEX_OPEN_NO_VERSION = -11,      /* no valid 4-character version answer in any frame variant */
    ORVEX_OPEN_HID_REFUSED = -13      /* the HID reader did not accept the open report */
};

/* Closes the port and frees its handle. Status result. */
int Orvex_ClosePort(int handle);

/* Last-error code of the port: the cause of its last failure, reset to
 * ORVEX_ERR_NONE at the start of every command; ORVEX_ERR_INVALID_HANDLE for
 * an invalid handle. */
int Orvex_GetLastError(int handle);

/* Last-error codes. STX frames are frame variant 0, compact frames variants
 * 2 and 3. A code not listed here is the reader's own status byte (frame
 * variants 0 and 1) or the Bluetooth link status. */
enum {
    ORVEX_ERR_NONE = 0,               /* the last request completed */
    ORVEX_ERR_BT_TIMEOUT = 1,         /* Bluetooth link: no answer within the timeout */
    ORVEX_ERR_INVALID_HANDLE = 3,     /* the handle is not open (query result only) */
    ORVEX_ERR_TIMEOUT = 4,            /* no complete answer within the port's timeout */
    ORVEX_ERR_BUFFER_TOO_SMALL = 5,   /* the caller's buffer is smaller than the answer */
    ORVEX_ERR_LENGTH = 6,             /* data length outside the limit of the function */
    ORVEX_ERR_EMPTY_REQUEST = 8,      /* the request frame is empty */
    ORVEX_ERR_CHECK = 10,             /* frame check (BCC or CRC) wrong */
    ORVEX_ERR_EMPTY_RESPONSE = 12,    /* the answer is empty */
    ORVEX_ERR_MODE = 13,              /* invalid mode argument */
    ORVEX_ERR_BAUD_NOT_POSSIBLE = 14, /* no baud change on this kind of port */
    ORVEX_ERR_WRONG_REPLY = 16,       /* compact frames: the answer is not for the sent command */
    ORVEX_ERR_REPLY_88 = 17,          /* compact frames: reader reply 0x88 */
    ORVEX_ERR_REPLY_A4 = 20,          /* compact frames: reader reply 0xA4; also an empty
                                         answer to command 0x24 */
    ORVEX_ERR_REPLY_C4 = 21,          /* compact frames: reader reply 0xC4 or 0xC5 */
    ORVEX_ERR_REPLY_CC = 23,          /* compact frames: reader reply 0xCC; STX frames:
                                         reader status 3 or 25 */
    ORVEX_ERR_REPLY_A0 = 24,          /* compact frames: reader reply 0xA0 */
    ORVEX_ERR_STATUS_20 = 32,         /* STX frames: reader status 0x20; the answer was
                                         still accepted */
    ORVEX_ERR_STATUS_7 = 44           /* STX frames: reader status 7 */
};

/* The version answer (command 0xF0) after the frame variant's adjustments.
 * Length result. */
int Orvex_ReadVersion(int handle, char *buffer, int size);

/* Clears size bytes of buffer (may be NULL), writes the model display name of
 * the port's type code (at most size-1 characters) and returns the full name
 * length. An invalid handle is treated as type code 0 ("Orvex-#000"). */
int Orvex_GetDeviceName(int handle, char *buffer, int size);

/* The port's name as passed to open, without the bus address suffix.
 * Returns its length when buffer is larger than the name; otherwise last
 * error ORVEX_ERR_BUFFER_TOO_SMALL and ORVEX_FAILED. ORVEX_FAILED for an
 * invalid handle. */
int Orvex_GetPortName(int handle, char *buffer, int size);

/* Bit 0 / bit 2 of the type code: 0 or 1; ORVEX_FAILED for an invalid handle. */
int Orvex_GetTypeBit0(int handle);
int Orvex_GetTypeBit2(int handle);

/* 1 for a HID or FTDI port, else 0; ORVEX_FAILED for an invalid handle. */
int Orvex_IsUsbPort(int handle);

/* 223; shown to users divided by 100. */
int Orvex_GetSdkVersion(void);

/* Installs a hook that runs about every 15 ms while a command waits for its
 * answer (a GUI keeps its windows painted from it). NULL removes it. The hook
 * must not call back into this API. */
typedef void (*Orvex_WaitHook)(void *context);
void Orvex_SetWaitHook(Orvex_WaitHook hook, void *context);

/* Diagnostic texts (call traces, the open sequence's steps) always go as UDP
 * datagrams to 127.0.0.1 port 1030; on != 0 also echoes them to stderr. */
void Orvex_SetTraceEcho(int on);

/* ---- Reader commands ---------------------------------------------------- */

/* Any command: request[0] is the command byte, followed by its data; length
 * includes the command byte. Length result (the answer data). Requests with
 * more than 254 data bytes fail with last error ORVEX_ERR_LENGTH. */
int Orvex_Transceive(int handle, const unsigned char *request, int length, unsigned char *answer, int size);

/* 0xFA / 0xF9: device settings bytes. Length result / status. */
int Orvex_ReadDeviceSettings(int handle, unsigned char *buffer, int size);
int Orvex_WriteDeviceSettings(int handle, const unsigned char *data, int length);

/* 0xF2: changes the reader's and then the host's line (system serial ports
 * only; last error ORVEX_ERR_BAUD_NOT_POSSIBLE on other ports), then waits
 * 200 ms. mode 0..3 as in the baud argument of Orvex_OpenPort (else last
 * error ORVEX_ERR_MODE). Status. */
int Orvex_SetBaudRate(int handle, int baud, int mode);

/* 0xF4: output mode. (mode & 0x7F) > 3 fails with last error ORVEX_ERR_MODE.
 * Compact frame variants succeed without sending. Status. */
int Orvex_SetOutputMode(int handle, int mode);

/* 0xF6 a b: restart. Status. */
int Orvex_Restart(int handle, int a, int b);

/* 0xFB: factory reset; waits up to 1000 ms whatever the port's timeout. */
int Orvex_FactoryReset(int handle);

/* 0xFF mode: USB interface mode (1 = HID keyboard, 2 = virtual COM). */
int Orvex_SetUsbMode(int handle, int mode);

/* 0x24: data option byte. An empty answer fails with last error
 * ORVEX_ERR_REPLY_A4. Status. */
int Orvex_ReadDataOption(int handle, int *value);
int Orvex_WriteDataOption(int handle, int value);

/* 0x89..0x8E: configuration blocks. Length results. */
int Orvex_ReadDataBlock(int handle, unsigned char *buffer, int size);
int Orvex_ReadPrefixBlock(int handle, unsigned char *buffer, int size);
int Orvex_ReadSuffixBlock(int handle, unsigned char *buffer, int size);
int Orvex_ReadSeparatorBlock(int handle, unsigned char *buffer, int size);
int Orvex_ReadRemovalBlock(int handle, unsigned char *buffer, int size);
int Orvex_ReadParameterBlock(int handle, unsigned char *buffer, int size);

/* 0x80 selector key: transponder key; fewer than 6 key bytes fail with last
 * error ORVEX_ERR_LENGTH. Status. */
int Orvex_WriteKey(int handle, int selector, const unsigned char *key, int length);

/* 0x81: data-format block, at most 50 bytes (else last error
 * ORVEX_ERR_LENGTH). Status. */
int Orvex_WriteDataBlock(int handle, const unsigned char *data, int length);
/* 0x82..0x86: at most 100 bytes each (else last error ORVEX_ERR_LENGTH).
 * Status. */
int Orvex_WritePrefixBlock(int handle, const unsigned char *data, int length);
int Orvex_WriteSuffixBlock(int handle, const unsigned char *data, int length);
int Orvex_WriteSeparatorBlock(int handle, const unsigned char *data, int length);
int Orvex_WriteRemovalBlock(int handle, const unsigned char *data, int length);
int Orvex_WriteParameterBlock(int handle, const unsigned char *data, int length);

/* ---- Raw input and output ----------------------------------------------- */

/* Sends bytes unframed. ORVEX_OK once handed to the transport, ORVEX_FAILED
 * for an invalid handle. */
int Orvex_WriteRaw(int handle, const unsigned char *data, int length);

/* Takes up to size bytes the reader sent on its own. Count (0 when none),
 * ORVEX_FAILED for an invalid handle. */
int Orvex_ReadRaw(int handle, unsigned char *buffer, int size);

/* ---- Enumeration and drivers -------------------------------------------- */

/* Serial ports as list entries ("/dev/ttyACM0 [Qel Virtual COM]" style). */
int Orvex_ListComPorts(char *buffer, int size);
/* FTDI and HID readers as list entries. */
int Orvex_ListUsbDevices(char *buffer, int size);
/* Bit 0: FTDI-based reader without driver; bit 1: maker's virtual COM device
 * without driver. */
int Orvex_GetUsbDriverState(void);
/* 1 when the virtual COM driver is available, else 0. */
int Orvex_IsVirtualComDriverInstalled(void);

/* ---- USB HID reports ---------------------------------------------------- */

/* Answer length, or ORVEX_FAILED with the last error: ORVEX_ERR_MODE when the
 * port is not a HID port, ORVEX_ERR_EMPTY_REQUEST, ORVEX_ERR_LENGTH when the
 * request does not fit into one report, ORVEX_ERR_TIMEOUT when no answer
 * came, ORVEX_ERR_BUFFER_TOO_SMALL when the answer does not fit (nothing is
 * copied then). */
int Orvex_HidTransceive(int handle, const unsigned char *request, int length, unsigned char *answer,
                        int size);
/* Status; the last error as for Orvex_HidTransceive (ORVEX_ERR_TIMEOUT: the
 * report could not be written). */
int Orvex_HidWrite(int handle, const unsigned char *data, int length);

/* ---- Bluetooth dongle --------------------------------------------------- */

int Orvex_BtListDongles(char *buffer, int size);
/* Bytes of 38-byte device records (6 address bytes + 32 name bytes),
 * ORVEX_FAILED on timeout, 0 when the port is not a dongle port. */
int Orvex_BtInquiry(int handle, unsigned char *buffer, int size, int timeout, int classFilter);
/* 1 connected; 0 failed (last error = the link status, or
 * ORVEX_ERR_BT_TIMEOUT); 0 when the port is not a dongle port. */
int Orvex_BtConnect(int handle, const unsigned char *address, int channel, int timeout);
/* The name the device with the 6-byte address tells, as the dongle's remote
 * name request gets it, into name with its NUL: its length, 0 when the device
 * told none. ORVEX_FAILED when the port is not a dongle port, with last error
 * ORVEX_ERR_BT_TIMEOUT when the dongle did not answer in time, or
 * ORVEX_ERR_BUFFER_TOO_SMALL when name cannot hold it. */
int Orvex_BtRemoteName(int handle, const unsigned char *address, char *name, int size, int timeout);

/* ---- LAN readers (no handle; each call opens and closes its own link) --- */

/* Size every text buffer of Orvex_LanReadSettings must have. */
#define ORVEX_LAN_TEXT_SIZE 64
/* Smallest target buffer Orvex_LanReadAddress accepts. */
#define ORVEX_LAN_ADDRESS_SIZE 16

/* Results of Orvex_LanReadSettings, Orvex_LanReadAddress, Orvex_LanSetAddress
 * and Orvex_LanConfigure besides ORVEX_OK. */
enum {
    ORVEX_LAN_FAILED = -1,           /* the device does not answer, a text is invalid, or a
                                        record could not be read or written */
    ORVEX_LAN_BUFFER_TOO_SMALL = -5, /* the target buffer is below ORVEX_LAN_ADDRESS_SIZE */
    ORVEX_LAN_NULL_POINTER = -18     /* a pointer that must not be NULL is NULL */
};

/* Every device answering the discovery (500 ms). List result. */
int Orvex_LanSearchAll(char *buffer, int size);
/* The maker's readers answering the discovery (500 ms). List result. */
int Orvex_LanSearch(char *buffer, int size);
/* 1 when the device answers, else 0. */
int Orvex_LanCheck(const char *address);
/* Network settings as texts; each buffer may be NULL and otherwise holds
 * ORVEX_LAN_TEXT_SIZE bytes. ORVEX_OK or ORVEX_LAN_FAILED (also for a NULL
 * address). */
int Orvex_LanReadSettings(const char *address, char *name, char *ipAddress, char *netmask, char *gateway);
/* Target of the reader's TCP client. ORVEX_OK, ORVEX_LAN_FAILED,
 * ORVEX_LAN_NULL_POINTER or ORVEX_LAN_BUFFER_TOO_SMALL. */
int Orvex_LanReadAddress(const char *address, char *target, int size, int *port);
/* Sets that target ("a.b.c.d", "" clears it) and restarts the module when it
 * changed. ORVEX_OK, ORVEX_LAN_FAILED or ORVEX_LAN_NULL_POINTER. */
int Orvex_LanSetAddress(const char *address, const char *target, int port);
/* New address text ("a.b.c.d[-port]" or a DHCP name), netmask and gateway
 * texts (NULL or "" keeps the mask and clears the gateway). ORVEX_OK,
 * ORVEX_LAN_FAILED or ORVEX_LAN_NULL_POINTER. */
int Orvex_LanConfigure(const char *address, const char *newAddress, const char *netmask, const char *gateway);

#ifdef __cplusplus
}
#endif

#endif
