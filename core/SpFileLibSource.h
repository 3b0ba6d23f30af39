// The buffered file record: the system's classic file layer.
//
// One heap record per open data fork, addressed by volume reference number, directory id and
// name (or by a full path), with one large buffer in front of the File Manager. Readers get
// whole lines split at carriage returns, byte runs and cheap repositioning inside the
// buffer; writers collect small pieces in the buffer and send them to the disk in few calls,
// synchronously with a volume flush, or as queued asynchronous requests.
//
// The buffer starts at 1,024,000 bytes, so that a typical data file is read with one call
// and written with one call at close, and is halved (down to 125 bytes) when memory is short.
//
// Ownership: a record exists from a successful open to its close; the caller holds only the
// pointer the open hands out, and the close frees it (also when closing the fork fails).
// Every open that fails hands out nothing: the fork is closed, the record freed, the output
// pointer null and the error returned. That includes a fork the caller supplied: an open
// takes it over, for good or for ill.
//
// Asynchronous requests: the File Manager does their I/O before the call returns, so neither
// the record's buffer nor the caller's bytes are in use afterwards and the buffer is reused
// at once. Their parameter blocks live outside the record, in blocks kept until their
// completions have run, so a record may be closed and freed with requests still queued.
//
// Results are File Manager codes. A null record or a null required pointer sounds the beep
// and logs one record (source "SpFileLibSource", the operation's name, code 1).
#pragma once

#include "Files.h"
#include "MacTypes.h"

enum : UInt32 {
  kSpFileBufferFirstSize = 1024000,  // the first buffer size tried
  kSpFileBufferLeastSize = 125,      // below this an open fails with memFullErr
  kSpFileFirstLoadSize = 16384,      // what a read opened or moved loads first
};

enum : SInt32 {
  kSpFileFullPathSize = 1024,
  kSpFileVolumeNameSize = 256,
  kSpFileNameSize = 512,
};

struct sSpFileSysInfo {
  char fullPathName[kSpFileFullPathSize];  // the folder's full path, ":" and the name
  char volumeName[kSpFileVolumeNameSize];  // taken from the full path
  Ptr bufferPtr;                           // owned by the record
  short vRefNum;
  short fileRefNum;       // the open data fork
  UInt32 fileLength;      // read mode: the file's length; write mode: offset of the next
                          // direct or asynchronous write
  UInt32 bufferDataSize;  // read: bytes loaded; write: bytes collected, not yet written
  UInt32 bufferIndex;     // read: the next unread byte; write: equal to bufferDataSize
  UInt32 filePosition;    // read: file offset of the next byte to deliver
  UInt32 nextLoadOffset;  // read: file offset just after the buffer's bytes
  UInt32 bufferSize;
  SInt32 dirID;                    // the folder of the file
  char fileName[kSpFileNameSize];  // the name as passed
};

// ---- Opening and closing --------------------------------------------------------------------

// The opening core: opens the data fork with the permission (or, with useGivenRefNum, takes
// refNum as the open fork), makes the record and its buffer. The mark is at 0.
OSErr Sp_FileSystem_OpenByDirId(short vRefNum, SInt32 dirID, const char* name, short refNum,
                                unsigned char useGivenRefNum, sSpFileSysInfo** out,
                                SInt8 permission);
// The same for a full path (Volume:Folder:Name). An empty volume name or an unknown folder
// gives paramErr.
OSErr Sp_FileSystem_Open(const char* fullPath, short refNum, unsigned char useGivenRefNum,
                         sSpFileSysInfo** out, SInt8 permission);
// Closes the fork (when closeFile; synchronously with a volume flush, or as an asynchronous
// request) and frees the record. closeFile 0 leaves the fork open for its owner.
OSErr Sp_FileSystem_Close(sSpFileSysInfo* file, unsigned char closeFile, unsigned char sync);
OSErr Sp_FileSystem_SetEOF(sSpFileSysInfo* file, SInt32 length);
OSErr Sp_FileSystem_GetEOF(sSpFileSysInfo* file, SInt32* length);

// ---- Writing --------------------------------------------------------------------------------

// Opens for writing, cuts the file to length 0 and starts writing at 0.
OSErr Sp_WriteFileSystem_Open(const char* fullPath, short refNum, unsigned char useGivenRefNum,
                              sSpFileSysInfo** out);
// Opens for writing; truncate cuts the file to length 0; append starts writing at the end of
// the file, else at 0.
OSErr Sp_WriteFileSystem_OpenByDirId(short vRefNum, SInt32 dirID, const char* name, short refNum,
                                     unsigned char useGivenRefNum, sSpFileSysInfo** out,
                                     unsigned char truncate, unsigned char append);
// Collects the bytes in the buffer, writing out what was collected first when they would not
// fit; a run of at least the buffer's size is written directly. A null record or bytes, or a
// length below 1, give rfNumErr (-51).
OSErr Sp_WriteFileSystem_Write(sSpFileSysInfo* file, const char* bytes, SInt32 length,
                               unsigned char sync);
// Writes the collected bytes (none: nothing to do). A failed synchronous write keeps the
// bytes that did not reach the file.
OSErr Sp_WriteFileSystem_WriteToFile(sSpFileSysInfo* file, unsigned char sync);
// Writes what is still collected, flushes the volume, then closes as Sp_FileSystem_Close.
// A failure to write the collected bytes is returned (the record is closed and freed all the
// same), so lost data never reads as success.
OSErr Sp_WriteFileSystem_Close(sSpFileSysInfo* file, unsigned char closeFile, unsigned char sync);

// ---- Reading --------------------------------------------------------------------------------

// Open for reading, read the file's length and load the first buffer-full.
OSErr Sp_ReadFileSystem_Open(const char* fullPath, short refNum, unsigned char useGivenRefNum,
                             sSpFileSysInfo** out);
OSErr Sp_ReadFileSystem_OpenByDirId(short vRefNum, SInt32 dirID, const char* name, short refNum,
                                    unsigned char useGivenRefNum, sSpFileSysInfo** out);
// Loads the next buffer-full (a read failure is logged with code 2).
OSErr Sp_ReadFileSystem_LoadDataFromTargetFile(sSpFileSysInfo* file);
// One line into `line` (size bytes with the terminator). Lines end at a carriage return
// only; a line feed is an ordinary byte, so after CR LF the next line starts with the LF. A
// line longer than size - 1 bytes is cut, the rest of it skipped, and the result is
// memFullErr unless it was the file's last line. *outEnd is 1 when the line returned is the
// last one (or there was none left); outLength and outEnd may be null.
OSErr Sp_ReadFileSystem_ReadOneLine(sSpFileSysInfo* file, char* line, SInt32 size,
                                    SInt32* outLength, unsigned char* outEnd);
// Up to count bytes. A request beyond the end gives the rest with noErr; at the end, eofErr
// and no bytes. outCount may be null.
OSErr Sp_ReadFileSystem_Read(sSpFileSysInfo* file, SInt32 count, char* bytes, SInt32* outCount);
// Repositions the reader: mode 0 nothing; 2 back from the end (an offset reaching past the
// start gives 0, a negative one the end); 3 forward from the position (clamped to the end);
// 1 and every other mode from the start. A target outside the file (mode 1 beyond the end or
// before the start, mode 3 backwards) is refused with posErr and the position stays.
OSErr Sp_ReadFileSystem_SetFilePosition(sSpFileSysInfo* file, short mode, SInt32 offset);
UInt32 Sp_ReadFileSystem_GetFilePosition(sSpFileSysInfo* file);
