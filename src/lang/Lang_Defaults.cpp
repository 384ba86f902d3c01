#include "lang/Lang_Table.h"

// The built-in English texts, entry i being the text of STRi. Leading and trailing blanks
// are part of the texts.
// The bound comes from the initialisers: a text missing here or a key missing in Lang_Key
// makes this definition conflict with the declaration.
const char16_t *const Lang_Default_Texts[] = {
    u"Begin",  // STR0
    u"Step 1",  // STR1
    u"Step 2",  // STR2
    u"Step 3",  // STR3
    u"Step 4",  // STR4
    u"Step 5",  // STR5
    u"Step 6",  // STR6
    u"Step 7",  // STR7
    u"Step 8",  // STR8
    u"None Configuration Opened ",  // STR9
    u"Use Step1 to open or create new configuration",  // STR10
    u"Opened Configuration of the Converter : ",  // STR11
    u"Information",  // STR12
    u"Options",  // STR13
    u"Close Configurator",  // STR14
    u"New Configuration",  // STR15
    u"Open Configuration",  // STR16
    u"Update Device",  // STR17
    u"Error! Project not Valid",  // STR18
    u"New Version Available. Click Here for more Details",  // STR19
    u"Set Communication",  // STR20
    u"Receive COB",  // STR21
    u"Transmit COB",  // STR22
    u"Define COB",  // STR23
    u"Define COB",  // STR24
    u"Create New Configuration",  // STR25
    u"Create New Configuration",  // STR26
    u"Name of the new Configuration",  // STR27
    u"OK",  // STR28
    u"Cancel",  // STR29
    u"Error! Name project is not valid",  // STR30
    u"Error! Name project is not valid because directory already exists",  // STR31
    u"Error! Name Project is not valid",  // STR32
    u"Open Configuration",  // STR33
    u"Open an Existing Configuration",  // STR34
    u"List of Avaliable Configurations",  // STR35
    u"OK",  // STR36
    u"Cancel",  // STR37
    u"Software Options",  // STR38
    u"Software Options",  // STR39
    u"Language",  // STR40
    u"Connection Options",  // STR41
    u"Selected Language : ",  // STR42
    u"Page ",  // STR43
    u" / ",  // STR44
    u"Previous",  // STR45
    u"Next",  // STR46
    u"Enable Internet Connection",  // STR47
    u"Check Software Update at Start of Program",  // STR48
    u"Check Available Update",  // STR49
    u"OK",  // STR50
    u"Cancel",  // STR51
    u"New Version Available. Click Here for more Details",  // STR52
    u"No Update Available",  // STR53
    u"Do you want to change the Language from ",  // STR54
    u" to ",  // STR55
    u"?",  // STR56
    u"Update Firmware from Etherner (UDP)",  // STR57
    u"Insert the IP Address of ",  // STR58
    u"Check the Connection the device",  // STR59
    u"Ping",  // STR60
    u"Cancel",  // STR61
    u"Next",  // STR62
    u"Update Device Options",  // STR63
    u"Firmware",  // STR64
    u"Read Firmware when finish",  // STR65
    u"Configuration",  // STR66
    u"Read Configuration when finish",  // STR67
    u"Execute update firmware",  // STR68
    u"Device Found!",  // STR69
    u"Device Not Found!",  // STR70
    u"Error!!! Check the Ip Address",  // STR71
    u"Device not found in network",  // STR72
    u"Set Communication",  // STR73
    u"Set Communication Setting",  // STR74
    u"OK",  // STR75
    u"Cancel",  // STR76
    u" CAN ",  // STR77
    u"Baudrate",  // STR78
    u" Modbus TCP Slave ",  // STR79
    u"IP ADDRESS",  // STR80
    u"SUBNET Mask",  // STR81
    u"GATEWAY",  // STR82
    u"Port",  // STR83
    u"Error Modbus TCP Slave!! IP Address 1 must be between 0 and 255",  // STR84
    u"Error Modbus TCP Slave!! IP Address 2 must be between 0 and 255",  // STR85
    u"Error Modbus TCP Slave!! IP Address 3 must be between 0 and 255",  // STR86
    u"Error Modbus TCP Slave!! IP Address 4 must be between 0 and 255",  // STR87
    u"Error Modbus TCP Slave!! SUBNET Mask 1 must be between 0 and 255",  // STR88
    u"Error Modbus TCP Slave!! SUBNET Mask 2 must be between 0 and 255",  // STR89
    u"Error Modbus TCP Slave!! SUBNET Mask 3 must be between 0 and 255",  // STR90
    u"Error Modbus TCP Slave!! SUBNET Mask 4 must be between 0 and 255",  // STR91
    u"Error Modbus TCP Slave!! GATEWAY IP 1 must be between 0 and 255",  // STR92
    u"Error Modbus TCP Slave!! GATEWAY IP 2 must be between 0 and 255",  // STR93
    u"Error Modbus TCP Slave!! GATEWAY IP 3 must be between 0 and 255",  // STR94
    u"Error Modbus TCP Slave!! GATEWAY IP 4 must be between 0 and 255",  // STR95
    u"Error Modbus TCP Slave!! PORT must be between 0 and 65535",  // STR96
    u"Do you want to exit without saving changes?",  // STR97
    u"Receive CAN",  // STR98
    u"Receive CAN Frames",  // STR99
    u"OK",  // STR100
    u"Cancel",  // STR101
    u"Delete Row",  // STR102
    u"Insert Row",  // STR103
    u"N°",  // STR104
    u"Cob-ID",  // STR105
    u"Dimension",  // STR106
    u"Type",  // STR107
    u"TimeOut (ms)",  // STR108
    u"Mnemonic",  // STR109
    u"Error in row ",  // STR110
    u"!! Type of CAN message must be selected",  // STR111
    u"!! CobID must be between 0x000 and 0x7FF",  // STR112
    u"!! CobID must be between 0x00000000 and 0x1FFFFFFF",  // STR113
    u"!! Dimension must be between 1 and 8",  // STR114
    u"!! TimeOut must be between 0 and 100000000 ms",  // STR115
    u"Are you sure to delete the Row number ",  // STR116
    u"Transmit CAN",  // STR117
    u"Transmit CAN Frames",  // STR118
    u"OK",  // STR119
    u"Cancel",  // STR120
    u"Delete Row",  // STR121
    u"Insert Row",  // STR122
    u"N°",  // STR123
    u"Cob-ID",  // STR124
    u"Dimension",  // STR125
    u"Type",  // STR126
    u"Data Change",  // STR127
    u"On Timer",  // STR128
    u"Send Timer",  // STR129
    u"Mnemonic",  // STR130
    u"Error in row ",  // STR131
    u"!! Type of CAN message must be selected",  // STR132
    u"!! CobID must be between 0x000 and 0x7FF",  // STR133
    u"!! CobID must be between 0x00000000 and 0x1FFFFFFF",  // STR134
    u"!! Dimension must be between 1 and 8",  // STR135
    u"!! Send Timer must be between 0 and 100000000 ms",  // STR136
    u"Are you sure to delete the Row number ",  // STR137
    u"Define Receive CAN",  // STR138
    u"Define Modbus Registers for Receive CAN Frames",  // STR139
    u"List of Receive CAN Frames",  // STR140
    u"Cob-ID                  Dimension",  // STR141
    u"List of Modbus Registers",  // STR142
    u"Relative to the Cob-ID Selected",  // STR143
    u"Create/Modify a Modbus Register",  // STR144
    u"Index of Modbus Register",  // STR145
    u"Select the Byte to Put in the High",  // STR146
    u"Part of the Modbus Register",  // STR147
    u"Select the Byte to Put in the Low",  // STR148
    u"Part of the Modbus Register",  // STR149
    u"Create",  // STR150
    u"Modify",  // STR151
    u"Delete",  // STR152
    u"Copy",  // STR153
    u"Paste",  // STR154
    u"OK",  // STR155
    u"Cancel",  // STR156
    u"Error!! Index of Modbus Register must be between 0 and 65535",  // STR157
    u"Error!! Index of Modbus Register is already used",  // STR158
    u"None",  // STR159
    u"Byte ",  // STR160
    u"Define Transmit CAN",  // STR161
    u"Define Modbus Registers for Transmit CAN Frames",  // STR162
    u"List of Transmit CAN Frames",  // STR163
    u"Cob-ID                  Dimension",  // STR164
    u"List of Modbus Registers",  // STR165
    u"Relative to the PGN Selected",  // STR166
    u"Create/Modify a Modbus Register",  // STR167
    u"Index of Modbus Register",  // STR168
    u"Select the Byte to Put in the High",  // STR169
    u"Part of the Modbus Register",  // STR170
    u"Select the Byte to Put in the Low",  // STR171
    u"Part of the Modbus Register",  // STR172
    u"Send CAN frame on Modbus Write",  // STR173
    u"False",  // STR174
    u"True",  // STR175
    u"Create",  // STR176
    u"Modify",  // STR177
    u"Delete",  // STR178
    u"Copy",  // STR179
    u"Paste",  // STR180
    u"OK",  // STR181
    u"Cancel",  // STR182
    u"Error!! Index of Modbus Register must be between 0 and 65535",  // STR183
    u"Error!! Index of Modbus Register is already used",  // STR184
    u"None",  // STR185
    u"Byte ",  // STR186
    u"The settings could not be saved.",  // STR187
    u"The device images could not be built.",  // STR188
    u"The device images could not be saved.",  // STR189
    u"The language file could not be read.",  // STR190
    u"The frame list cannot be shown: its file cannot be read completely, and saving would lose frames.",  // STR191
    u"The frame list could not be saved.",  // STR192
    u"The update job could not be written, so the updater was not started.",  // STR193
    u"Error!! The device holds at most %1 Modbus registers for receive and transmit CAN frames together.",  // STR194
    u"This direction has %1, the other direction %2.",  // STR195
    u"Row %1 holds a frame: delete a row first.",  // STR196
    u"%1 register mappings belong to frames that are no longer in the list and will be deleted with them:",  // STR197
    u"Frame %1: registers %2",  // STR198
    u"Save the frame list and delete these mappings?",  // STR199
    u"%1 register mappings refer to frames that do not exist; they will be removed when you press OK",  // STR200
    u"The frame list is empty: OK deletes all %1 register mappings of this file. Delete them?",  // STR201
    u"%1 (beyond %2)",  // STR202
    u"Check of the configuration",  // STR203
    u"The images can be built, but the device will probably not do what was meant:",  // STR204
    u"Finding",  // STR205
    u"File",  // STR206
    u"Row",  // STR207
    u"Go on",  // STR208
    u"Go back",  // STR209
    u"The text holds a character that a configuration file cannot store (code %1).",  // STR210
    u"The version service could not be reached.",  // STR211
    u"Pinging… attempt %1 of %2",  // STR212
    u"Ping stopped",  // STR213
    u"The address has changed since the ping. Press \"%1\" to check the new address.",  // STR214
    u"The firmware image %1 is missing or empty, so the updater would reject this update. Put the image there, or uncheck \"%2\" to write only the configuration.",  // STR215
    u"Updating… %1 s",  // STR216
    u"The updater reports success (exit code 0).",  // STR217
    u"The update failed: the updater ended with exit code %1.",  // STR218
    u"The update failed: the updater was ended abnormally, without an exit code.",  // STR219
    u"The updater has ended, but whether the update succeeded cannot be learnt.",  // STR220
    u"The updater is still running after %1 s. It goes on by itself; this dialog no longer waits for it.",  // STR221
    u"The updater could not be started:",  // STR222
    u"Last lines of its report %1:",  // STR223
    u"It left no new report in %1.",  // STR224
    u"Error! The name of the new configuration is empty: type a name.",  // STR225
    u"Error! The name holds only blanks: type a name that can be read.",  // STR226
    u"Error! The name holds an invisible character (code %1), which a folder name must not hold.",  // STR227
    u"Error! The name holds the character %1, which Windows does not allow in folder names: < > : \" / \\ | ? *",  // STR228
    u"Error! The name begins with a blank, which Windows programs often lose from folder names.",  // STR229
    u"Error! The name ends with a blank, which Windows drops from folder names.",  // STR230
    u"Error! The name begins with a dot: such a folder is hidden and would not be listed.",  // STR231
    u"Error! The name ends with a dot, which Windows drops from folder names.",  // STR232
    u"Error! \"%1\" is the name of a Windows device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9), also with an extension.",  // STR233
    u"Error! A configuration named \"%1\" already exists (letter case does not count).",  // STR234
    u"Error! The folder %1 could not be created: %2",  // STR235
    u"Register %1 is already used by frame %2.",  // STR236
    u"Send",  // STR237
    u"line %1, column %2",  // STR238
    u"row %1",  // STR239
    u"the attribute \"%1\" is missing",  // STR240
    u"a document type declaration is not allowed",  // STR241
    u"invalid UTF-8 byte 0x%1",  // STR242
    u"incomplete UTF-8 sequence",  // STR243
    u"invalid UTF-8 sequence",  // STR244
    u"character %1 is not allowed in XML",  // STR245
    u"cannot write the text: %1",  // STR246
    u"Could not allocate memory",  // STR247
    u"Internal error occurred",  // STR248
    u"Could not determine tag type",  // STR249
    u"Error parsing document declaration/processing instruction",  // STR250
    u"Error parsing comment",  // STR251
    u"Error parsing CDATA section",  // STR252
    u"Error parsing document type declaration",  // STR253
    u"Error parsing PCDATA section",  // STR254
    u"Error parsing start element tag",  // STR255
    u"Error parsing element attribute",  // STR256
    u"Error parsing end element tag",  // STR257
    u"Start-end tags mismatch",  // STR258
    u"No document element found",  // STR259
    u"the file holds %1 bytes, more than the limit of %2 bytes for a file of its kind",  // STR260
    u"is a folder, not a regular file; it is not read",  // STR261
    u"is a FIFO, not a regular file; it is not read",  // STR262
    u"is a device, not a regular file; it is not read",  // STR263
    u"is a socket, not a regular file; it is not read",  // STR264
    u"is not a plain file, not a regular file; it is not read",  // STR265
    u"is not a regular file; it is not read",  // STR266
    u"is not a regular file",  // STR267
    u"no file name",  // STR268
    u"the folder %1 is a symbolic link; no file is written through a link, make it a real folder",  // STR269
    u"the folder %1: %2",  // STR270
    u"is a folder",  // STR271
    u"No such file or directory",  // STR272
    u"Permission denied",  // STR273
    u"Operation not permitted",  // STR274
    u"No space left on device",  // STR275
    u"Disk quota exceeded",  // STR276
    u"Read-only file system",  // STR277
    u"Is a directory",  // STR278
    u"Not a directory",  // STR279
    u"Too many levels of symbolic links",  // STR280
    u"File name too long",  // STR281
    u"Input/output error",  // STR282
    u"more than %1 frame records, receive and transmit together; the device image holds no more",  // STR283
    u"more than %1 mapping records, receive and transmit together; the device image holds no more",  // STR284
    u"no device images have been built",  // STR285
    u"the folder cannot be created",  // STR286
    u"the file holds %1 frames; a list holds at most %2",  // STR287
    u"Cob-ID %1 lies outside the range of an 11-bit frame (0 to %2)",  // STR288
    u"Cob-ID %1 lies outside the range of a 29-bit frame (0 to %2)",  // STR289
    u"Type \"%1\" is neither \"%2\" nor \"%3\"; the device gets an 11-bit frame",  // STR290
    u"Dimension %1 lies outside 1 to %2; the device gets %3",  // STR291
    u"the same identifier %1 (%2) as row %3; the device cannot tell the two frames apart",  // STR292
    u"the frame is sent on the timer, but Send Timer is 0 ms",  // STR293
    u"Num_Frame \"%1\" is not a number",  // STR294
    u"Num_Frame %1 is negative",  // STR295
    u"Num_Frame %1 names no frame: %2 holds %3 (Num_Frame 0 to %4)",  // STR296
    u"1 frame",  // STR297
    u"%1 frames",  // STR298
    u"%1; the build leaves the mapping out",  // STR299
    u"Mod_Index %1 lies outside 0 to %2; the device gets register %3",  // STR300
    u"identifier 0",  // STR301
    u"0 (None)",  // STR302
    u"both byte parts are None: register %1 takes nothing from frame %2",  // STR303
    u"%1 %2 lies beyond the %3 data byte(s) of frame %4 (%5 row %6)",  // STR304
    u"%1 \"%2\" is not a number; the device gets %3",  // STR305
    u"register %1 is mapped already in row %2; a Modbus access reaches only one of them",  // STR306
    u"TimeOut is 0, so the device never notices this frame missing, while %1 other receive frame(s) have a timeout",  // STR307
    u"the frame is never sent: neither Data Change nor On Timer is set, and no register of %1 sends it on a Modbus write",  // STR308
    u"there are no receive frames, so the build does not read this file",  // STR309
    u"there are no transmit frames, so the build does not read this file",  // STR310
    u"%1 and leaves the mapping out",  // STR311
    u"%1 (nor could it: %2)",  // STR312
    u"Monitor Device",  // STR313
    u"Poll every (ms)",  // STR314
    u"Connect",  // STR315
    u"Disconnect",  // STR316
    u"Close",  // STR317
    u"Direction",  // STR318
    u"Register",  // STR319
    u"Bytes (high/low)",  // STR320
    u"Decimal",  // STR321
    u"Hex",  // STR322
    u"Unchanged for (s)",  // STR323
    u"Receive",  // STR324
    u"Transmit",  // STR325
    u"Disconnected",  // STR326
    u"Connecting to %1 port %2 ...",  // STR327
    u"Connected to %1 port %2",  // STR328
    u"Not connected (%1); next try in %2 s",  // STR329
    u"Reading registers %1 to %2 failed: %3",  // STR330
    u"Writing %2 to register %1 failed: %3",  // STR331
    u"Register %1 set to %2",  // STR332
    u"%1 is no register value: type 0 to 65535, or 0x0000 to 0xFFFF",  // STR333
    u"%1 is not an IP address",  // STR334
    u"The configuration could not be read: %1",  // STR335
    u"The configuration maps no Modbus registers",  // STR336
    u"no answer within %1 s",  // STR337
    u"Update Device from Ethernet (UDP)",  // STR338
    u"Register Map…",  // STR339
    u"The register map could not be written:",  // STR340
    u"Register map written to %1 (%2 registers).",  // STR341
    u"Workspace folder:",  // STR342
    u"Export CSV…",  // STR343
    u"Import CSV…",  // STR344
    u"CSV sheets (*.csv)",  // STR345
    u"The sheet was not read: %1",  // STR346
    u"The sheet was not written: %1",  // STR347
    u"%1 is not a sheet of this list: nothing taken",  // STR348
    u"Import report",  // STR349
    u"%1 line(s) cannot be taken. Nothing is taken unless you choose to take the good lines.",  // STR350
    u"Line %1: %2",  // STR351
    u"Take the good lines",  // STR352
    u"Take nothing",  // STR353
    u"The Modbus client could not be loaded: %1",  // STR354
    u"Import from CAN database…",  // STR355
    u"CAN databases (*.dbc)",  // STR356
    u"The CAN database was not read: %1",  // STR357
    u"Messages of the CAN database",  // STR358
    u"Filter:",  // STR359
    u"Select all",  // STR360
    u"Select none",  // STR361
    u"TimeOut = cycle time ×",  // STR362
    u"First register:",  // STR363
    u"Message",  // STR364
    u"Identifier",  // STR365
    u"Bytes",  // STR366
    u"Cycle (ms)",  // STR367
    u"Sender",  // STR368
    u"Note",  // STR369
    u"Import",  // STR370
    u"Cancel",  // STR371
    u"Cannot be imported: %1",  // STR372
    u"%1 holds no message of this list's frames",  // STR373
    u"Import signals…",  // STR374
    u"Close",  // STR375
    u"%1 frame(s) taken, %2 left out.",  // STR376
    u"%1 register(s) taken, %2 left out.",  // STR377
    u"Frame row %1: %2",  // STR378
    u"Register %1: %2 (high byte %3, low byte %4)",  // STR379
    u"Left out, line %1: %2",  // STR380
    u"Left out, line %1: %2: %3",  // STR381
    u"a quoted field is not closed",  // STR382
    u"text follows a closing quote",  // STR383
    u"the header row is missing",  // STR384
    u"the header row must be: %1",  // STR385
    u"%1 columns, %2 expected",  // STR386
    u"the Type is empty",  // STR387
    u"the Cob-ID lies outside 0..0x7FF of an 11-bit frame",  // STR388
    u"the Cob-ID lies outside 0..0x1FFFFFFF of a 29-bit frame",  // STR389
    u"the Dimension lies outside 1..8",  // STR390
    u"the TimeOut lies outside 0..100000000",  // STR391
    u"the SendTimer lies outside 0..100000000",  // STR392
    u"the Cob-ID is empty",  // STR393
    u"the Type must be \"%1\" or \"%2\"",  // STR394
    u"DataChange and OnTimer take Y or N",  // STR395
    u"a frame list holds at most %1 frames",  // STR396
    u"the frame list holds no frame %1 (%2)",  // STR397
    u"the register index '%1' lies outside 0..%2",  // STR398
    u"register %1 is given on line %2 already",  // STR399
    u"Byte_HiPart and Byte_LoPart take 0..%1 (the frame's bytes)",  // STR400
    u"Send_on_Write takes 0 or 1",  // STR401
    u"the device holds at most %1 registers, both directions together",  // STR402
    u"a text in quotes is not closed",  // STR403
    u"'%1' does not begin a statement",  // STR404
    u"%1 (the file ends here)",  // STR405
    u"'%1' expected",  // STR406
    u"%1 expected",  // STR407
    u"a text in quotes expected",  // STR408
    u"'%1' is not a number",  // STR409
    u"'%1' is not a whole number",  // STR410
    u"%1 %2 lies outside %3..%4",  // STR411
    u"no message has the identifier %1",  // STR412
    u"message %1 has no signal %2",  // STR413
    u"the identifier %1 is given twice",  // STR414
    u"a signal before any message",  // STR415
    u"'%1' is no multiplexer mark",  // STR416
    u"'+' or '-' expected",  // STR417
    u"signal %1 lies outside the %2 bytes of message %3",  // STR418
    u"BU_, BO_, SG_, EV_ or a text in quotes expected",  // STR419
    u"BU_, BO_, SG_ or EV_ expected",  // STR420
    u"unknown attribute type '%1'",  // STR421
    u"a value expected",  // STR422
    u"attribute \"%1\" is not defined",  // STR423
    u"%1 data bytes: a CAN FD frame, the converter carries at most 8",  // STR424
    u"no data bytes",  // STR425
    u"an 11-bit identifier above 0x7FF",  // STR426
    u"no CAN identifier",  // STR427
    u"a message identifier",  // STR428
    u"a message name",  // STR429
    u"a message length",  // STR430
    u"a sending node",  // STR431
    u"a signal name",  // STR432
    u"a start bit",  // STR433
    u"a signal length",  // STR434
    u"a byte order (0 or 1)",  // STR435
    u"a factor",  // STR436
    u"an offset",  // STR437
    u"a minimum",  // STR438
    u"a maximum",  // STR439
    u"BU_, BO_, SG_, EV_ or a text in quotes",  // STR440
    u"a name",  // STR441
    u"an attribute type",  // STR442
    u"a value",  // STR443
    u"the list already holds this identifier and type",  // STR444
    u"the time-out would exceed %1 ms",  // STR445
    u"the list is full (%1 frames)",  // STR446
    u"the frame list holds no frame with its identifier and type",  // STR447
    u"multiplexed: its bytes carry other signals in other frames",  // STR448
    u"lies beyond the frame's %1 data bytes",  // STR449
    u"the device holds at most %1 registers",  // STR450
    u"no register number is left up to %1",  // STR451
    u"its frame has registers already; signals not mapped",  // STR452
    u"not the header of a signal sheet",  // STR453
    u"%1 fields instead of %2",  // STR454
    u"direction \"%1\" is neither receive nor transmit",  // STR455
    u"register or byte is no number",  // STR456
    u"%1; saving would drop this line, so nothing is saved",  // STR457
    u"%1 not found in %2",  // STR458
    u"%1: the module made no client",  // STR459
    u"the column %1 holds the character %2, which a configuration file cannot hold",  // STR460
    u"the file holds no message: it is no CAN database",  // STR461
    u"message %1 has a signal %2 already",  // STR462
    u"value '%1' is no whole number of 64 bits; left out of the value table",  // STR463
    u"a value type (0, 1 or 2)",  // STR464
    u"an IEEE float of %1 bits cannot have %2 bits",  // STR465
    u"declared a CAN FD frame (%1): the converter carries classic CAN frames only",  // STR466
    u"not a number",  // STR467
    u"%1 lies outside %2 to %3",  // STR468
    u"the signal's factor is 0",  // STR469
    u"%1 does not fit the signal's %2 bits",  // STR470
    u"%1 bits: a value of more than 64 bits has no recipe",  // STR471
    u"its bytes lie in registers laid out for other signals; a second register writing them would change those",  // STR472
    u"the signal's registers or recipe cannot be read",  // STR473
    u"register %1 writes byte %2 of frame %3, as register %4 of row %5 does; a Modbus write of either changes what the other put there",  // STR474
    u"its registers have not been read yet",  // STR475
    u"neither a candump log line nor a line of an ASC file",  // STR476
    u"not a frame of a candump log: (SECONDS) INTERFACE ID#DATA expected",  // STR477
    u"not a frame or header line of an ASC file",  // STR478
    u"no frame: the log is empty",  // STR479
    u"neither a candump log nor an ASC file: no line of its start is a frame",  // STR480
    u"longer than %1 characters: no frame of a CAN log",  // STR481
    u"%1 more lines that are no frame",  // STR482
    u"the log holds the frames of several interfaces (%1): choose one",  // STR483
    u"%1 frames of other interfaces left out",  // STR484
    u"no CAN data frame, but %1 error frames: is the bit rate right?",  // STR485
    u"no CAN data frame",  // STR486
    u"%1 error frames on the bus: a wrong bit rate or a missing terminator?",  // STR487
    u"%1 CAN FD frames left out: the converter takes classic CAN frames only",  // STR488
    u"more than %1 identifiers: %2 frames of further ones are only counted",  // STR489
    u"configured as %1, but the bus carries this identifier as %2 only",  // STR490
    u"Cob-ID \"%1\" is read as %2, which the bus never carries; it carries %3: was \"%4\" meant?",  // STR491
    u"never seen on the bus",  // STR492
    u"%1 of %2 frames are shorter than the Dimension %3 (lengths seen: %4): the device ignores them",  // STR493
    u"TimeOut 0: the registers keep their last value when the frame stops (largest gap %1); suggested TimeOut %2 ms",  // STR494
    u"TimeOut %1 ms, but frames came up to %2 apart: the registers go stale between frames; suggested TimeOut %3 ms",  // STR495
    u"another node already sends this identifier (%1 frames, cycle %2): two senders of one identifier",  // STR496
    u"seen %1 times, %2 bytes, cycle %3 (%4 to %5); no receive frame takes it",  // STR497
    u"seen once, %1 bytes; no receive frame takes it",  // STR498
    u"frames without data bytes: nothing for a register",  // STR499
    u"%1: no frame of interface \"%2\" (the log holds: %3)",  // STR500
    u"the settings are not stored, so the device gets its own: CAN %1 bit/s, IP address %2, subnet mask %3, Modbus TCP port %4. To choose others, open Set Communication and confirm with OK",  // STR501
    u"Cob-ID %1 is a decimal number to the device, which gets %2; CAN tools read the same digits as %3. Write %2 or %3 to say which is meant",  // STR502
    u"save it as UTF-8",  // STR503
    u"the file is in UTF-32, which is not read; %1",  // STR504
    u"the file is in UTF-16 without a byte-order mark, which is not read; %1",  // STR505
    u"the file declares the encoding %1 but holds the byte 0x%2, which is not read; %3",  // STR506
    u"invalid UTF-16: a lone surrogate",  // STR507
    u"the name \"%1\" holds the character %2, which no XML name may hold",  // STR508
    u"%1 (high word)",  // STR509
    u"%1 (low word)",  // STR510
    u"%1 (word %2 of %3)",  // STR511
    u"Signal %1: registers %2, shift %3, %4 bit(s), %5",  // STR512
    u"unsigned",  // STR513
    u"signed",  // STR514
    u"IEEE float",  // STR515
    u"Signal",  // STR516
    u"Value",  // STR517
    u"%1 (stale)",  // STR518
    u"%2 was not written to signal %1: %3",  // STR519
    u"Signals",  // STR520
    u"Reachable",  // STR521
    u"Bus check",  // STR522
    u"The configuration held against a recording of its bus (a candump log or an ASC file):",  // STR523
    u"Recording:",  // STR524
    u"Choose…",  // STR525
    u"Interface:",  // STR526
    u"Check",  // STR527
    u"Frame",  // STR528
    u"Detail",  // STR529
    u"CAN logs (*.log *.asc)",  // STR530
    u"The recording was not read: %1",  // STR531
    u"The configuration was not read: %1",  // STR532
    u"%1 error(s), %2 warning(s), %3 note(s).",  // STR533
    u"Learn from bus or log…",  // STR534
    u"Frames seen on the bus",  // STR535
    u"Format",  // STR536
    u"Frames",  // STR537
    u"TimeOut = largest gap ×",  // STR538
    u"Learn",  // STR539
    u"Left out: %1: %2",  // STR540
    u"Not stored yet: until you confirm with OK, the device gets its own settings (%1 bit/s, %2, port %3).",  // STR541
    u"For a hexadecimal identifier, write %1",  // STR542
    u"Row %1: Cob-ID %2 reaches the device as %3",  // STR543
    u"The device reads %1",  // STR544
    u"Cob-ID: %1",  // STR545
    u"Length: %1",  // STR546
    u"Mnemonic: %1",  // STR547
    u"Cob-IDs in plain digits are decimal: 181 is 0x0B5. For hexadecimal write 0x181.",  // STR548
    u"Record from bus",  // STR549
    u"s",  // STR550
    u"Record",  // STR551
    u"Stop",  // STR552
    u"Recording %1 for %2 s…",  // STR553
    u"The bus could not be recorded: %1",  // STR554
    u"Save the recording as",  // STR555
    u"the adapter as PLUGIN:INTERFACE, for example socketcan:can0",  // STR556
    u"%1 frame(s) and %2 register(s) taken, %3 left out.",  // STR557
    u"Map their signals onto registers",  // STR558
    u"Clear the filter",  // STR559
    u"%1: the module belongs to another version of the program (it offers %2, this program needs %3); install the module that came with the program",  // STR560
    u"checked",  // STR561
    u"not checked",  // STR562
    u"The maker's web site",  // STR563
    u"No ping of this address has been completed yet. Press \"%1\" to check that the device answers there.",  // STR564
    u"Close",  // STR565
    u"connection refused: nothing answers on this port at this address",  // STR566
    u"the network cannot reach this address",  // STR567
    u"the address was not found",  // STR568
    u"the device closed the connection",  // STR569
    u"no answer in time",  // STR570
    u"the device refused the request (Modbus exception code %1)",  // STR571
    u"the request was cut off when the connection ended",  // STR572
    u"not connected",  // STR573
    u"the answer is no valid Modbus answer (%1)",  // STR574
    u"connection error (%1)",  // STR575
    u"the answer holds %1 of %2 registers",  // STR576
    u"%1 register map",  // STR577
    u"the recorder ended with exit status %1",  // STR578
};
