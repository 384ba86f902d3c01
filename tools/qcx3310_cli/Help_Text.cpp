// The usage and the help qcx3310-cli prints.
#include "Help_Text.h"

const char Usage_Text[] = R"(Usage:
  qcx3310-cli compile CONFIG_DIR
  qcx3310-cli check [--json] CONFIG_DIR
  qcx3310-cli inspect [--json] CONFIG_DIR
  qcx3310-cli inspect [--json] BANK1_FILE BANK2_FILE
  qcx3310-cli can-send INTERFACE ID#DATA
  qcx3310-cli can-dump INTERFACE [--count N] [--timeout MS]
  qcx3310-cli can-play LOG INTERFACE [--speed X] [--loop] [--channel NAME]
  qcx3310-cli can-record INTERFACE --seconds N -o LOG
  qcx3310-cli survey CONFIG_DIR (--log FILE | --can INTERFACE --seconds N) [--channel NAME]
                     [--json]
  qcx3310-cli learn CONFIG_DIR (--log FILE | --can INTERFACE --seconds N) [--channel NAME]
                    [--ids LIST] [--timeout-factor F]
  qcx3310-cli import-dbc CONFIG_DIR FILE.dbc [--receive NAMES] [--transmit NAMES]
                         [--first-register N] [--timeout-factor N]
  qcx3310-cli export frames|mappings CONFIG_DIR --direction receive|transmit -o FILE.csv
  qcx3310-cli import frames|mappings CONFIG_DIR --direction receive|transmit FILE.csv
                     [--take-good-lines]
  qcx3310-cli export-map CONFIG_DIR [--format csv|html|pdf] -o FILE
  qcx3310-cli --help
)";

const char Help_Text[] = R"(
Builds and reads the device images of a QCX3310 configuration: the files bank1.bin
(general parameters and CAN frame records) and bank2.bin (register mapping records) that
"Update Device" writes into the configuration's bin folder. Checks a configuration before
it is built. Sends and watches CAN frames, for example those of qgw3310-emulator.

Commands:
  compile CONFIG_DIR
      Reads the five files of the configuration folder: ParGen.xml, CAN_Receive.xml,
      CAN_Transmit.xml, Define_CAN_Receive.xml and Define_CAN_Transmit.xml (a missing file
      gives that part's defaults, as in the configurator) and writes CONFIG_DIR/bin/bank1.bin
      and CONFIG_DIR/bin/bank2.bin, byte for byte what "Update Device" writes. The bin folder
      is created when it is missing. Both files are replaced together at the end: after any
      error neither has changed. Prints the size and record counts of each image.

  check CONFIG_DIR
      Reads the five files as compile does, builds nothing, and lists one finding a line:
          SEVERITY: FILE:ROW: MESSAGE   (FILE: MESSAGE when it is about the whole file)
      then a count of each severity. Rows count from 1 within their file.
        error    compile would fail (unreadable-file, malformed-file, missing-attribute,
                 too-many-frames, too-many-mappings)
        warning  compile succeeds, but the device will probably not do what was meant:
                 not-a-number, unknown-frame-type, identifier-out-of-range,
                 dimension-out-of-range, duplicate-frame, receive-without-timeout,
                 send-timer-zero, transmit-never-sent, unplaced-mapping,
                 register-out-of-range, duplicate-register, mapping-without-bytes,
                 byte-beyond-dimension, identifier-typed-decimal (a Cob-ID in plain
                 digits, decimal to the device, that names another identifier read as
                 hexadecimal), settings-not-stored (no ParGen.xml: the device gets its
                 own settings)
        info     missing-file (a missing frame list or mapping file), frame-without-mapping
      With --json: one object {"findings": [{"severity", "file", "row", "code",
      "message"}, ...], "summary": {"errors", "warnings", "infos"}}.

  inspect CONFIG_DIR
  inspect BANK1_FILE BANK2_FILE
      Lists what a pair of images holds (CONFIG_DIR: the pair in CONFIG_DIR/bin): every named
      field of bank1's header, whether the checksum holds, one line per frame record and one
      per mapping record, and every way in which the pair differs from what a build writes
      (checksum, lengths, record counts, device addresses, fixed values, reserved bytes,
      flags, data offsets, frame numbers).

  can-send INTERFACE ID#DATA
      Puts one frame on the bus and ends once it is written. INTERFACE is a Qt CAN plugin and
      its interface: virtualcan:can0 (the virtual bus that qgw3310-emulator uses by default),
      socketcan:can0 (a real adapter), virtualcan:tcp://127.0.0.1:PORT/can0 (a virtual bus
      of its own). The frame is written as can-utils' cansend takes it: 3 hex digits for an
      11-bit identifier, 8 for a 29-bit one, then "#" and up to 8 data bytes in hex, dots
      allowed between bytes: 181#0102030405060708, 18FF0001#11.22.33.44, 181#R (remote
      request). A virtual bus lives as long as the program that started it: a frame sent while
      no other program is on it reaches no one (said on standard error).

  can-dump INTERFACE [--count N] [--timeout MS]
      Prints each frame seen on the bus, one a line, in the syntax can-send takes. Says
      "listening on INTERFACE" on standard error once frames will be seen. Ends after N
      frames, or after MS milliseconds; with both, fewer than N frames in time is an error.

  can-play LOG INTERFACE [--speed X] [--loop] [--channel NAME]
      Puts the frames of a CAN log on the bus as far apart as they were recorded (divided by
      X: 2 plays twice as fast), so that the emulator and the monitor show a recording without
      the machine. LOG is a candump log or an ASC file, as survey reads it. With --loop it
      starts again after the last frame; with --channel only that interface's frames are
      played. Lines that are no frame are listed on standard error and passed over.

  can-record INTERFACE --seconds N -o LOG
      Writes what the bus carries for N seconds (Ctrl+C ends it early) as a candump log, the
      log survey, learn and can-play read: each frame with the adapter's time stamp, or the
      time it was read where the adapter stamps none. Error and CAN FD frames are counted
      and left out. The log is written whole when the recording ends, or not at all.

  survey CONFIG_DIR (--log FILE | --can INTERFACE --seconds N) [--channel NAME] [--json]
      Holds the configuration's frame lists, as the device gets them, against the traffic of
      its bus: a log (can-utils' "candump -l" format or a Vector ASC file such as log2asc
      writes; the format is told by the content) or N seconds of a live bus. First lists per
      identifier and format the frames counted, the lengths seen, the cycle time (median and
      range of the gaps) and the last payload; then one finding a line:
          SEVERITY: FILE:ROW: FRAME: MESSAGE
      and a count of each severity. A log of several interfaces needs --channel (the
      interface as the log names it: can0, or the ASC channel number).
        error    no-traffic, several-buses, other-format (the identifier is seen only as
                 11-bit where 29-bit is configured, or the reverse), typing-trap (the Cob-ID
                 read in the other base, hexadecimal or decimal, is what the bus carries),
                 shorter-than-dimension (the device ignores such frames), timeout-too-short
                 (the registers go stale between frames; a TimeOut is suggested),
                 transmit-already-sent (another node sends a frame the converter transmits)
        warning  bad-log-line, error-frames, receive-never-seen, timeout-zero,
                 too-many-identifiers
        info     not-configured (an identifier no receive frame takes, with its lengths and
                 cycle), fd-frames, other-bus-frames
      With --json: {"findings": [{"severity", "code", "file", "row", "frame", "message",
      "suggested_timeout"}, ...], "summary": {...}, "traffic": {...}}.
      The median cycle comes from a histogram of 32 steps per octave: within 1/32 of the true
      median and exact for a frame that keeps its cycle; the shortest and longest gap are exact.

  learn CONFIG_DIR (--log FILE | --can INTERFACE --seconds N) [--channel NAME] [--ids LIST]
        [--timeout-factor F]
      Adds the identifiers seen (or those of LIST: decimal, or hexadecimal after 0x, separated
      by commas) to the receive frame list, from its first empty row: Cob-ID in hexadecimal,
      Dimension the shortest length seen, Type by the format, TimeOut the largest gap times F
      (default 3) rounded up to whole ms (0 for a frame seen once). Identifiers the list holds
      already are skipped with their reason.

  import-dbc CONFIG_DIR FILE.dbc [--receive NAMES] [--transmit NAMES]
             [--first-register N] [--timeout-factor N]
      Adds messages of a CAN database to the receive and transmit frame lists and maps their
      signals to registers. NAMES: message names or identifiers (decimal, or hexadecimal
      after 0x), separated by commas. Each message fills the first empty row: Cob-ID in
      hexadecimal, Dimension its length, Type by its identifier, Mnemonic its name; receive
      frames get a TimeOut of the cycle time (GenMsgCycleTime) times N (default 3; 0 without
      a cycle time), transmit frames are sent on the timer every cycle time. A message the
      list already holds (same identifier and type), a message of more than 8 bytes (CAN FD)
      and one beyond the 250 rows are skipped, as are messages declared CAN FD. Every signal
      of 1 to 64 bits gets the registers covering its bytes (shared with the signals beside
      it) and a recipe: shift, length, sign, float, factor, offset, unit, range and value
      table; register numbers start at --first-register (default 0) and pass over those in
      use. Multiplexed signals are skipped, as is whatever the 4096 registers of the device do
      not hold. Every skipped item and every statement of the database that cannot be read is
      listed with its line. The frame and mapping files are written together at the end, or
      none, with CAN_Signals.csv: each signal's registers and recipe, for export-map and the
      monitor.

  export frames|mappings CONFIG_DIR --direction receive|transmit -o FILE.csv
      Writes the frame list or the mappings of a direction as CSV: UTF-8 with a byte-order
      mark, a header row of the files' attribute names, commas, quotes where needed. Mappings
      name their frame by CobID and Type.

  import frames|mappings CONFIG_DIR --direction receive|transmit FILE.csv [--take-good-lines]
      Replaces the frame list or the mappings of a direction by a sheet as export writes it
      (comma or semicolon). Each line is checked as the editors check; a bad line is listed
      as FILE:LINE: REASON on standard error and nothing is taken, unless --take-good-lines
      is given. Frames that stay keep their mappings; those of frames no longer in the list
      go with them.

  export-map CONFIG_DIR [--format csv|html|pdf] -o FILE
      Writes the register map for the Modbus side: the configuration's name, the converter's
      address and port, the CAN bit rate, the date and this program's version, then one line
      per register (receive first, each direction by register number): direction, register,
      access (read, or read/write for transmit registers), the frame's CobID, Type and
      Mnemonic, high and low byte, send on write; and for registers that import-dbc made and
      that still sit on the same frame and bytes, the signal's name, unit, factor and offset.
      Without --format, FILE's extension (.csv, .html, .pdf) says the format. The PDF is an
      A4 page in landscape per part of the table, its column titles repeated on each page.

Options:
  --json      with check and inspect: print the same listing as one JSON object
  -h, --help  print this text and exit
  --          what follows is a path, even when it begins with "-"

Exit status:
  0  done; for check, no errors (warnings may be listed); for inspect, the images hold
     together
  1  check: the configuration has errors (listed on standard output); compile: a file
     could not be read, is not well-formed XML, has a row without an attribute the build
     reads, holds more records than the images take (512 frame records and 4096 mapping
     records, receive and transmit together), or an image could not be written; inspect:
     an image could not be read or the pair does not hold together; any command: CONFIG_DIR
     is not a folder. A message on standard error names the file and, where there is one,
     the line and column or the row (rows count from 1). can-send: the bus could not be
     opened or the frame not written within 5 s; can-dump: the bus could not be opened or
     went away, or fewer than N frames came within MS. survey: the configuration has errors
     against the traffic, or the log or bus could not be read. learn: the log or bus could
     not be read, or the frame list could not be read or written. can-play: the log could not
     be read or the bus not opened. can-record: the bus could not be opened or went away,
     or the log could not be written. import-dbc: the database could not be
     read or has a syntax error (its line and column are named), a name is not in it, or a
     configuration file could not be read or written; import: a line of the sheet is bad
     (without --take-good-lines), or a file could not be read or written.
  2  the command line was not understood; the usage is printed on standard error
)";
