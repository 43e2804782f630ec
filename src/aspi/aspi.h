#pragma once

// The ASPI request interface: the request blocks, status codes and the two entry points through
// which every SCSI command of the program travels. Which layer answers them is installed at run
// time (aspi_layer.h): real drives over SG_IO, or the simulated drive.

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;

// SRB_Cmd
inline constexpr BYTE SC_HA_INQUIRY = 0x00;
inline constexpr BYTE SC_GET_DEV_TYPE = 0x01;
inline constexpr BYTE SC_EXEC_SCSI_CMD = 0x02;

// SRB_Status, and the status byte of GetASPI32SupportInfo
inline constexpr BYTE SS_PENDING = 0x00;
inline constexpr BYTE SS_COMP = 0x01;
inline constexpr BYTE SS_ABORTED = 0x02;
inline constexpr BYTE SS_ERR = 0x04;
inline constexpr BYTE SS_INVALID_CMD = 0x80;
inline constexpr BYTE SS_INVALID_HA = 0x81;
inline constexpr BYTE SS_NO_DEVICE = 0x82;
inline constexpr BYTE SS_INVALID_SRB = 0xE0;
inline constexpr BYTE SS_NO_ASPI = 0xE3;
inline constexpr BYTE SS_FAILED_INIT = 0xE4;
inline constexpr BYTE SS_NO_ADAPTERS = 0xE8;

// SRB_Flags
inline constexpr BYTE SRB_DIR_IN = 0x08;
inline constexpr BYTE SRB_DIR_OUT = 0x10;
inline constexpr BYTE SRB_EVENT_NOTIFY = 0x40;

// SRB_HaStat
inline constexpr BYTE HASTAT_OK = 0x00;
inline constexpr BYTE HASTAT_TIMEOUT = 0x09;
inline constexpr BYTE HASTAT_COMMAND_TIMEOUT = 0x0B;
inline constexpr BYTE HASTAT_SEL_TO = 0x11;
inline constexpr BYTE HASTAT_DO_DU = 0x12;
inline constexpr BYTE HASTAT_BUS_FREE = 0x13;
inline constexpr BYTE HASTAT_PHASE_ERR = 0x14;

// SRB_TargStat: the SCSI status byte of the target
inline constexpr BYTE STATUS_GOOD = 0x00;
inline constexpr BYTE STATUS_CHKCOND = 0x02;
inline constexpr BYTE STATUS_BUSY = 0x08;
inline constexpr BYTE STATUS_RESCONF = 0x18;

// Room for sense data in the execute block: SRB_SenseLen bytes requested, two bytes spare.
inline constexpr BYTE SENSE_LEN = 22;

#pragma pack(push, 1)

struct SRB_HAInquiry {
  BYTE SRB_Cmd;        // SC_HA_INQUIRY
  BYTE SRB_Status;     // written by the layer
  BYTE SRB_HaId;       // adapter asked about
  BYTE SRB_Flags;      // 0
  DWORD SRB_Hdr_Rsvd;  // 0
  BYTE HA_Count;
  BYTE HA_SCSI_ID;
  BYTE HA_ManagerId[16];
  BYTE HA_Identifier[16];  // the adapter's description, NUL-terminated unless it fills all 16
  BYTE HA_Unique[16];
  WORD HA_Rsvd1;
};

struct SRB_ExecSCSICmd {
  BYTE SRB_Cmd;        // SC_EXEC_SCSI_CMD
  BYTE SRB_Status;     // SS_PENDING while the request runs, then SS_COMP or a failure status
  BYTE SRB_HaId;       // host adapter
  BYTE SRB_Flags;      // SRB_EVENT_NOTIFY with SRB_DIR_IN or SRB_DIR_OUT
  DWORD SRB_Hdr_Rsvd;  // 0
  BYTE SRB_Target;
  BYTE SRB_Lun;
  WORD SRB_Rsvd1;
  DWORD SRB_BufLen;      // bytes to move
  BYTE* SRB_BufPointer;  // data buffer, null without data
  BYTE SRB_SenseLen;     // sense bytes wanted in SenseArea
  BYTE SRB_CDBLen;       // 6 or 10
  BYTE SRB_HaStat;       // host adapter status, written by the layer
  BYTE SRB_TargStat;     // target status, written by the layer
  void* SRB_PostProc;    // the request's CompletionEvent, signalled when it has ended
  BYTE SRB_Rsvd2[20];
  BYTE CDBByte[16];
  BYTE SenseArea[SENSE_LEN + 2];  // fixed-format sense data
};

#pragma pack(pop)

// Each field follows its predecessor without a gap, as in the published layout; only the two
// pointer-sized fields grow on a 64-bit host.
#define DRVFLASH_FOLLOWS(T, field, prev) \
  static_assert(offsetof(T, field) == offsetof(T, prev) + sizeof(T::prev))

static_assert(offsetof(SRB_HAInquiry, SRB_Cmd) == 0);
DRVFLASH_FOLLOWS(SRB_HAInquiry, SRB_Status, SRB_Cmd);
DRVFLASH_FOLLOWS(SRB_HAInquiry, SRB_HaId, SRB_Status);
DRVFLASH_FOLLOWS(SRB_HAInquiry, SRB_Flags, SRB_HaId);
DRVFLASH_FOLLOWS(SRB_HAInquiry, SRB_Hdr_Rsvd, SRB_Flags);
DRVFLASH_FOLLOWS(SRB_HAInquiry, HA_Count, SRB_Hdr_Rsvd);
DRVFLASH_FOLLOWS(SRB_HAInquiry, HA_SCSI_ID, HA_Count);
DRVFLASH_FOLLOWS(SRB_HAInquiry, HA_ManagerId, HA_SCSI_ID);
DRVFLASH_FOLLOWS(SRB_HAInquiry, HA_Identifier, HA_ManagerId);
DRVFLASH_FOLLOWS(SRB_HAInquiry, HA_Unique, HA_Identifier);
DRVFLASH_FOLLOWS(SRB_HAInquiry, HA_Rsvd1, HA_Unique);
static_assert(offsetof(SRB_HAInquiry, HA_Identifier) == 26);
static_assert(sizeof(SRB_HAInquiry) == 60);

static_assert(offsetof(SRB_ExecSCSICmd, SRB_Cmd) == 0);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_Status, SRB_Cmd);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_HaId, SRB_Status);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_Flags, SRB_HaId);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_Hdr_Rsvd, SRB_Flags);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_Target, SRB_Hdr_Rsvd);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_Lun, SRB_Target);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_Rsvd1, SRB_Lun);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_BufLen, SRB_Rsvd1);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_BufPointer, SRB_BufLen);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_SenseLen, SRB_BufPointer);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_CDBLen, SRB_SenseLen);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_HaStat, SRB_CDBLen);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_TargStat, SRB_HaStat);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_PostProc, SRB_TargStat);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SRB_Rsvd2, SRB_PostProc);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, CDBByte, SRB_Rsvd2);
DRVFLASH_FOLLOWS(SRB_ExecSCSICmd, SenseArea, CDBByte);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16);
static_assert(sizeof(SRB_ExecSCSICmd) == 80 + 2 * sizeof(void*));
static_assert(sizeof(void*) != 4 || sizeof(SRB_ExecSCSICmd) == 88);
static_assert(sizeof(void*) != 4 || offsetof(SRB_ExecSCSICmd, SenseArea) == 64);

#undef DRVFLASH_FOLLOWS

// Bits 8-15: SS_COMP when a layer is usable; bits 0-7: the number of host adapters.
DWORD GetASPI32SupportInfo();

// Takes an SRB_HAInquiry (answered before it returns) or an SRB_ExecSCSICmd (SS_PENDING while
// it runs; any other value means it has already ended and its event may never be signalled).
DWORD SendASPI32Command(void* srb);
