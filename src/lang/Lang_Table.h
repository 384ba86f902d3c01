#pragma once
// The table of user-interface texts and the language files that translate it.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stdexcept>

// Keys of the texts. Keys 0 to 186 are the first table the language files were made for; a
// file's entries are positional (STR0, STR1, ...), so a key's number never changes. The frame
// and mapping editors' texts from 98 to 186 are reached through each direction's table of
// numbers. Texts after 186 came later; language files that lack them show the English
// defaults.
enum Lang_Key : int {
    STR_Begin = 0,
    STR_Step_1,
    STR_Step_2,
    STR_Step_3,
    STR_Step_4,
    STR_Step_5,
    STR_Step_6,
    STR_Step_7,
    STR_Step_8,
    STR_No_Configuration_Open,
    STR_No_Configuration_Hint,
    STR_Configuration_Open,
    STR_Information,
    STR_Options,
    STR_Close_Program,
    STR_New_Configuration,
    STR_Open_Configuration,
    STR_Update_Device,
    STR_Project_Not_Valid,
    STR_New_Version_Link,
    STR_Set_Communication,
    STR_Receive_Frames,
    STR_Transmit_Frames,
    STR_Define_Receive,
    STR_Define_Transmit,
    STR_New_Caption,
    STR_New_Desc,
    STR_New_Name_Label,
    STR_New_OK,
    STR_New_Cancel,
    STR_New_Name_Not_Valid,
    STR_New_Name_Folder_Exists,
    STR_New_Name_Not_Valid_Empty,
    STR_Open_Caption,
    STR_Open_Desc,
    STR_Open_List_Label,
    STR_Open_OK,
    STR_Open_Cancel,
    STR_Options_Caption,
    STR_Options_Desc,
    STR_Options_Language,
    STR_Options_Connection,
    STR_Options_Selected_Language,
    STR_Options_Page,
    STR_Options_Page_Of,
    STR_Options_Previous,
    STR_Options_Next,
    STR_Options_Enable_Internet,
    STR_Options_Check_At_Start,
    STR_Options_Check_Now,
    STR_Options_OK,
    STR_Options_Cancel,
    STR_Options_New_Version,
    STR_Options_No_Update,
    STR_Language_Question_From,
    STR_Language_Question_To,
    STR_Language_Question_End,
    STR_Update_Caption,
    STR_Update_Address_Label,
    STR_Update_Check_Connection,
    STR_Update_Ping,
    STR_Update_Cancel,
    STR_Update_Next,
    STR_Update_Options,
    STR_Update_Firmware,
    STR_Update_Read_Firmware,
    STR_Update_Configuration,
    STR_Update_Read_Configuration,
    STR_Update_Execute,
    STR_Ping_Device_Found,
    STR_Ping_Device_Not_Found,
    STR_Ping_Address_Error,
    STR_Ping_Not_In_Network,
    STR_Settings_Caption,
    STR_Settings_Desc,
    STR_Settings_OK,
    STR_Settings_Cancel,
    STR_Settings_CAN,
    STR_Settings_Baudrate,
    STR_Settings_Modbus,
    STR_Settings_IP,
    STR_Settings_Mask,
    STR_Settings_Gateway,
    STR_Settings_Port,
    STR_Settings_IP_1_Range,
    STR_Settings_IP_2_Range,
    STR_Settings_IP_3_Range,
    STR_Settings_IP_4_Range,
    STR_Settings_Mask_1_Range,
    STR_Settings_Mask_2_Range,
    STR_Settings_Mask_3_Range,
    STR_Settings_Mask_4_Range,
    STR_Settings_Gateway_1_Range,
    STR_Settings_Gateway_2_Range,
    STR_Settings_Gateway_3_Range,
    STR_Settings_Gateway_4_Range,
    STR_Settings_Port_Range,
    STR_Discard_Changes_Question,
    // 98 .. 186: the editors' texts, per direction (see the editors' text tables); the monitor
    // borrows two column titles of the receive frame editor.
    STR_Receive_Col_CobID = 105,
    STR_Receive_Col_Mnemonic = 109,
    STR_Settings_Not_Saved = 187,
    STR_Images_Not_Built,
    STR_Images_Not_Saved,
    STR_Language_Not_Read,
    STR_Frame_List_Not_Shown,
    STR_Frame_List_Not_Saved,
    STR_Update_Job_Not_Written,
    STR_Registers_Full,         // %1 the device's limit
    STR_Registers_Full_Counts,  // %1 this direction, %2 the other
    STR_Last_Row_Taken,         // %1 the last row's number
    STR_Mappings_Go_With_Frames,  // %1 how many
    STR_Mappings_Of_Frame,  // %1 the frame's Cob-ID, %2 its register indexes
    STR_Delete_Mappings_Question,
    STR_Unplaced_Mappings,  // %1 how many
    STR_Wipe_Mappings_Question,  // %1 how many
    STR_Byte_Beyond_Frame,  // %1 the byte's text, %2 the bytes the frame has
    STR_Check_Caption,
    STR_Check_Desc,
    STR_Check_Col_Finding,
    STR_Check_Col_File,
    STR_Check_Col_Row,
    STR_Check_Go_On,
    STR_Check_Go_Back,
    STR_Text_Not_Storable,  // %1 the character's code (U+0001)
    STR_Version_Service_Unreachable,
    STR_Ping_Attempt,  // %1 the attempt's number, %2 the attempts a silent device gets
    STR_Ping_Stopped,
    STR_Address_Changed,  // %1 the Ping button's caption
    STR_Firmware_Image_Missing,  // %1 the image's path, %2 the Firmware box's caption
    STR_Update_Waiting,  // %1 the seconds waited so far
    STR_Update_Succeeded,
    STR_Update_Failed,  // %1 the exit code
    STR_Update_Ended_Abnormally,
    STR_Update_Ended_Unknown,
    STR_Update_Still_Running,  // %1 the seconds waited
    STR_Update_Not_Started,
    STR_Update_Report_Tail,  // %1 the report's path
    STR_Update_No_Report,  // %1 the report's path
    STR_New_Name_Empty,
    STR_New_Name_Blanks_Only,
    STR_New_Name_Control,  // %1 the character's code (U+0009)
    STR_New_Name_Forbidden,  // %1 the character
    STR_New_Name_Leading_Blank,
    STR_New_Name_Trailing_Blank,
    STR_New_Name_Leading_Dot,
    STR_New_Name_Trailing_Dot,
    STR_New_Name_Device,  // %1 the device name as typed
    STR_New_Name_Exists,  // %1 the existing configuration's name
    STR_New_Name_Not_Created,  // %1 the folder, %2 the system's reason
    STR_Index_Used_By_Frame,  // %1 the register number, %2 the frame's Cob-ID as the frame list shows it
    STR_Send_On_Write_Mark,
    // The words of the core's own messages (file, XML, build and check), found by their English
    // text through Lang_Translator: every key from STR_Msg_First to STR_Msg_Last, and only those.
    // The block cannot grow (every later key would change its number): later texts of the
    // core go in the block STR_Msg2_First to STR_Msg2_Last.
    STR_Msg_Line_Column,  // %1 the line, %2 the column
    STR_Msg_First = STR_Msg_Line_Column,
    STR_Msg_Row,  // %1 the row, counting from 1
    STR_Msg_Attribute_Missing,  // %1 the attribute's name
    STR_Msg_Doctype_Not_Allowed,
    STR_Msg_Utf8_Invalid_Byte,  // %1 the byte in hexadecimal
    STR_Msg_Utf8_Incomplete,
    STR_Msg_Utf8_Invalid,
    STR_Msg_Char_Not_Allowed,  // %1 the character's code (U+0001)
    STR_Msg_Cannot_Write_Text,  // %1 the reason
    // The reasons of the XML parser the program read files with before Qt's stream reader, whose
    // reasons Qt's own catalogue translates. Retired, but kept so that no later key moves.
    STR_Msg_Xml_Out_Of_Memory,
    STR_Msg_Retired_First = STR_Msg_Xml_Out_Of_Memory,
    STR_Msg_Xml_Internal,
    STR_Msg_Xml_Tag_Type,
    STR_Msg_Xml_Bad_Pi,
    STR_Msg_Xml_Bad_Comment,
    STR_Msg_Xml_Bad_Cdata,
    STR_Msg_Xml_Bad_Doctype,
    STR_Msg_Xml_Bad_Pcdata,
    STR_Msg_Xml_Bad_Start_Tag,
    STR_Msg_Xml_Bad_Attribute,
    STR_Msg_Xml_Bad_End_Tag,
    STR_Msg_Xml_Tag_Mismatch,
    STR_Msg_Xml_No_Root,
    STR_Msg_Retired_Last = STR_Msg_Xml_No_Root,
    STR_Msg_File_Too_Long,  // %1 the file's size, %2 the limit
    STR_Msg_Folder_Not_Read,
    STR_Msg_Fifo_Not_Read,
    STR_Msg_Device_Not_Read,
    STR_Msg_Socket_Not_Read,
    STR_Msg_Other_Not_Read,
    STR_Msg_Not_Regular_Not_Read,
    STR_Msg_Not_Regular,
    STR_Msg_No_File_Name,
    STR_Msg_Folder_Is_Link,  // %1 the folder
    STR_Msg_Folder_Error,  // %1 the folder, %2 the system's reason
    STR_Msg_Is_Folder,
    STR_Msg_Sys_No_Entry,
    STR_Msg_Sys_Access,
    STR_Msg_Sys_Permission,
    STR_Msg_Sys_No_Space,
    STR_Msg_Sys_Quota,
    STR_Msg_Sys_Read_Only,
    STR_Msg_Sys_Is_Dir,
    STR_Msg_Sys_Not_Dir,
    STR_Msg_Sys_Loop,
    STR_Msg_Sys_Name_Too_Long,
    STR_Msg_Sys_IO,
    STR_Msg_Too_Many_Frames,  // %1 the most the image holds
    STR_Msg_Too_Many_Mappings,  // %1 the most the image holds
    STR_Msg_No_Images_Built,
    STR_Msg_Folder_Not_Created,
    STR_Msg_Frame_List_Too_Long,  // %1 the frames in the file, %2 the most a list holds
    STR_Msg_CobID_Range_11,  // %1 the Cob-ID as written, %2 the highest
    STR_Msg_CobID_Range_29,  // %1 the Cob-ID as written, %2 the highest
    STR_Msg_Unknown_Type,  // %1 the Type as written, %2 and %3 the two frame types
    STR_Msg_Dimension_Range,  // %1 the Dimension, %2 the most, %3 what the device gets
    STR_Msg_Duplicate_Frame,  // %1 the identifier, %2 "11-bit" or "29-bit", %3 the earlier row
    STR_Msg_Send_Timer_Zero,
    STR_Msg_Num_Frame_Not_Number,  // %1 the text as written
    STR_Msg_Num_Frame_Negative,  // %1 the number
    STR_Msg_Num_Frame_No_Frame,  // %1 the number, %2 the frame list's file, %3 its frames (STR_Msg_One_Frame, STR_Msg_Frames), %4 the highest Num_Frame
    STR_Msg_One_Frame,
    STR_Msg_Frames,  // %1 how many (never 1)
    STR_Msg_Mapping_Left_Out,  // %1 why
    STR_Msg_Register_Range,  // %1 Mod_Index, %2 the highest register, %3 the register the device gets
    STR_Msg_Identifier_Zero,
    STR_Msg_Zero_None,
    STR_Msg_No_Bytes,  // %1 the register, %2 the frame
    STR_Msg_Byte_Beyond,  // %1 Byte_HiPart or Byte_LoPart, %2 its value, %3 the frame's data bytes, %4 the frame, %5 the frame list's file, %6 the frame's row
    STR_Msg_Not_A_Number,  // %1 the attribute, %2 its text, %3 what the device gets
    STR_Msg_Duplicate_Register,  // %1 the register, %2 the earlier row
    STR_Msg_No_Timeout,  // %1 how many
    STR_Msg_Never_Sent,  // %1 the mapping file
    STR_Msg_Receive_Map_Unread,
    STR_Msg_Transmit_Map_Unread,
    STR_Msg_And_Left_Out,  // %1 STR_Msg_Receive_Map_Unread or STR_Msg_Transmit_Map_Unread
    STR_Msg_Nor_Could_It,  // %1 STR_Msg_Receive_Map_Unread or STR_Msg_Transmit_Map_Unread, %2 the reason
    STR_Msg_Last = STR_Msg_Nor_Could_It,
    STR_Monitor_Device,
    STR_Monitor_Period,
    STR_Monitor_Connect,
    STR_Monitor_Disconnect,
    STR_Monitor_Close,
    STR_Monitor_Col_Direction,
    STR_Monitor_Col_Register,
    STR_Monitor_Col_Bytes,
    STR_Monitor_Col_Decimal,
    STR_Monitor_Col_Hex,
    STR_Monitor_Col_Unchanged,
    STR_Monitor_Receive,
    STR_Monitor_Transmit,
    STR_Monitor_Disconnected,
    STR_Monitor_Connecting,  // %1 the address, %2 the port
    STR_Monitor_Connected,  // %1 the address, %2 the port
    STR_Monitor_Retrying,  // %1 the reason, %2 the seconds until the next try
    STR_Monitor_Read_Failed,  // %1 the first register, %2 the last, %3 the reason
    STR_Monitor_Write_Failed,  // %1 the register, %2 the value, %3 the reason
    STR_Monitor_Written,  // %1 the register, %2 the value
    STR_Monitor_Bad_Value,  // %1 the text typed
    STR_Monitor_Bad_Address,  // %1 the text typed
    STR_Monitor_Not_Read,  // %1 the reason
    STR_Monitor_No_Registers,
    STR_Monitor_No_Answer,  // %1 the seconds waited
    STR_Update_Dialog_Desc,
    STR_Register_Map,
    STR_Register_Map_Not_Written,
    STR_Register_Map_Written,  // %1 the file, %2 how many registers
    STR_About_Workspace,  // the title of the workspace folder in the About box
    STR_Csv_Export,
    STR_Csv_Import,
    STR_Csv_Filter,
    STR_Csv_Not_Read,  // %1 the reason
    STR_Csv_Not_Written,  // %1 the reason
    STR_Csv_Wrong_Header,  // %1 the file
    STR_Csv_Report_Title,
    STR_Csv_Bad_Lines,  // %1 the number of lines
    STR_Csv_Line,  // %1 the line, %2 the reason
    STR_Csv_Take_Good,
    STR_Csv_Take_None,
    STR_Monitor_No_Client,  // %1 the loader's reason
    STR_Dbc_Import,
    STR_Dbc_File_Filter,
    STR_Dbc_Not_Read,  // %1 the file, line, column and reason
    STR_Dbc_Chooser_Title,
    STR_Dbc_Filter,
    STR_Dbc_Select_All,
    STR_Dbc_Select_None,
    STR_Dbc_Timeout_Factor,
    STR_Dbc_First_Register,
    STR_Dbc_Col_Message,
    STR_Dbc_Col_Identifier,
    STR_Dbc_Col_Length,
    STR_Dbc_Col_Cycle,
    STR_Dbc_Col_Sender,
    STR_Dbc_Col_Note,
    STR_Dbc_Take,
    STR_Dbc_Cancel,
    STR_Dbc_Not_Importable,  // %1 the reason
    STR_Dbc_No_Messages_Of_List,  // %1 the file
    STR_Import_Signals,
    STR_Import_Close,
    STR_Import_Frames_Taken,  // %1 taken, %2 left out
    STR_Import_Registers_Taken,  // %1 taken, %2 left out
    STR_Import_Frame_Row,  // %1 the row, %2 the frame
    STR_Import_Register,  // %1 the register, %2 what fills it, %3 high byte, %4 low byte
    STR_Import_Left_Out_Line,  // %1 the line, %2 the reason
    STR_Import_Left_Out_Named,  // %1 the line, %2 the name, %3 the reason
    // The second block of the core's own messages (the imports' reasons: sheets, CAN
    // databases, signal notes), found by their English text like the first block: every key
    // from STR_Msg2_First to STR_Msg2_Last, and only those.
    STR_Msg2_Csv_Quote_Open,
    STR_Msg2_First = STR_Msg2_Csv_Quote_Open,
    STR_Msg2_Csv_After_Quote,
    STR_Msg2_Csv_No_Header,
    STR_Msg2_Csv_Header_Must_Be,  // %1 the column names
    STR_Msg2_Csv_Column_Count,  // %1 the columns found, %2 expected
    STR_Msg2_Csv_Type_Empty,
    STR_Msg2_Csv_CobID_11,
    STR_Msg2_Csv_CobID_29,
    STR_Msg2_Csv_Dimension,
    STR_Msg2_Csv_TimeOut,
    STR_Msg2_Csv_SendTimer,
    STR_Msg2_Csv_CobID_Empty,
    STR_Msg2_Csv_Type_Must_Be,  // %1 and %2 the two frame types
    STR_Msg2_Csv_Y_Or_N,
    STR_Msg2_Csv_Frames_Full,  // %1 the most frames
    STR_Msg2_Csv_No_Such_Frame,  // %1 the Cob-ID, %2 the type
    STR_Msg2_Csv_Index_Range,  // %1 the register index as written, %2 the highest
    STR_Msg2_Csv_Index_Twice,  // %1 the register, %2 the line that gave it first
    STR_Msg2_Csv_Byte_Range,  // %1 the frame's Dimension
    STR_Msg2_Csv_Send_On_Write,
    STR_Msg2_Csv_Registers_Full,  // %1 the most registers
    STR_Msg2_Dbc_Quote_Open,
    STR_Msg2_Dbc_Not_Statement,  // %1 the word found
    STR_Msg2_Dbc_File_Ends,  // %1 the reason
    STR_Msg2_Dbc_Char_Expected,  // %1 the punctuation mark
    STR_Msg2_Dbc_Expected,  // %1 what (one of the STR_Msg2_Dbc_What_ texts)
    STR_Msg2_Dbc_Quoted_Expected,
    STR_Msg2_Dbc_Not_Number,  // %1 the text found
    STR_Msg2_Dbc_Not_Whole,  // %1 the text found
    STR_Msg2_Dbc_Out_Of_Range,  // %1 what (one of the STR_Msg2_Dbc_What_ texts), %2 the number, %3 lowest, %4 highest
    STR_Msg2_Dbc_No_Message_Id,  // %1 the identifier
    STR_Msg2_Dbc_No_Signal,  // %1 the message, %2 the signal
    STR_Msg2_Dbc_Id_Twice,  // %1 the identifier
    STR_Msg2_Dbc_Signal_First,
    STR_Msg2_Dbc_No_Mux_Mark,  // %1 the text found
    STR_Msg2_Dbc_Sign_Expected,
    STR_Msg2_Dbc_Signal_Outside,  // %1 the signal, %2 the message's bytes, %3 the message
    STR_Msg2_Dbc_Object_Or_Text_Expected,
    STR_Msg2_Dbc_Object_Expected,
    STR_Msg2_Dbc_Unknown_Type,  // %1 the type found
    STR_Msg2_Dbc_Value_Expected,
    STR_Msg2_Dbc_Attribute_Undefined,  // %1 the attribute
    STR_Msg2_Dbc_Can_Fd,  // %1 the message's data bytes
    STR_Msg2_Dbc_No_Data,
    STR_Msg2_Dbc_Id_Above_11,
    STR_Msg2_Dbc_No_Can_Id,
    STR_Msg2_Dbc_What_Message_Id,
    STR_Msg2_Dbc_What_Message_Name,
    STR_Msg2_Dbc_What_Message_Length,
    STR_Msg2_Dbc_What_Sender,
    STR_Msg2_Dbc_What_Signal_Name,
    STR_Msg2_Dbc_What_Start_Bit,
    STR_Msg2_Dbc_What_Signal_Length,
    STR_Msg2_Dbc_What_Byte_Order,
    STR_Msg2_Dbc_What_Factor,
    STR_Msg2_Dbc_What_Offset,
    STR_Msg2_Dbc_What_Minimum,
    STR_Msg2_Dbc_What_Maximum,
    STR_Msg2_Dbc_What_Object_Or_Text,
    STR_Msg2_Dbc_What_Name,
    STR_Msg2_Dbc_What_Attribute_Type,
    STR_Msg2_Dbc_What_Value,
    STR_Msg2_Import_Frame_Held,
    STR_Msg2_Import_Time_Out_Exceeds,  // %1 the longest time-out in ms
    STR_Msg2_Import_List_Full,  // %1 the most frames
    STR_Msg2_Import_No_Frame,
    STR_Msg2_Import_Multiplexed,
    STR_Msg2_Import_Beyond_Frame,  // %1 the frame's data bytes
    STR_Msg2_Import_Registers_Full,  // %1 the most registers
    STR_Msg2_Import_No_Register_Left,  // %1 the highest register number
    STR_Msg2_Import_Frame_Mapped,
    STR_Msg2_Notes_Not_Header,
    STR_Msg2_Notes_Field_Count,  // %1 the fields found, %2 expected
    STR_Msg2_Notes_Direction,  // %1 the direction as written
    STR_Msg2_Notes_Not_Number,
    STR_Msg2_Notes_Nothing_Saved,  // %1 why the line cannot be read
    STR_Msg2_Module_Not_Found,  // %1 the module's name, %2 the folders looked in
    STR_Msg2_Module_No_Client,  // %1 the module's file
    STR_Msg2_Csv_Unstorable,  // %1 the column's name, %2 the character as U+XXXX
    STR_Msg2_Dbc_No_Message,
    STR_Msg2_Dbc_Signal_Twice,  // %1 the message, %2 the signal
    STR_Msg2_Dbc_Value_Range,  // %1 the value as written
    STR_Msg2_Dbc_Value_Type,
    STR_Msg2_Dbc_Float_Length,  // %1 the float's bits, %2 the signal's
    STR_Msg2_Dbc_Declared_Fd,  // %1 the frame format as the database names it
    STR_Msg2_Recipe_Not_Number,
    STR_Msg2_Recipe_Outside,  // %1 the value, %2 the minimum, %3 the maximum
    STR_Msg2_Recipe_Factor_Zero,
    STR_Msg2_Recipe_No_Fit,  // %1 the value, %2 the signal's bits
    STR_Msg2_Import_Signal_Too_Long,  // %1 the signal's bits
    STR_Msg2_Import_Bytes_Taken,
    STR_Msg2_Notes_Recipe,
    STR_Msg2_Check_Byte_Overlap,  // %1 the register, %2 the byte, %3 the frame, %4 the earlier register, %5 its row
    STR_Msg2_Signal_Not_Read,
    STR_Msg2_Log_Neither_Line,
    STR_Msg2_Log_Not_Candump,
    STR_Msg2_Log_Not_Asc,
    STR_Msg2_Log_Empty,
    STR_Msg2_Log_Not_A_Log,
    STR_Msg2_Log_Line_Too_Long,  // %1 the most characters
    STR_Msg2_Survey_More_Bad_Lines,  // %1 the number of lines
    STR_Msg2_Survey_Several_Buses,  // %1 the interfaces
    STR_Msg2_Survey_Other_Bus_Frames,  // %1 the number of frames
    STR_Msg2_Survey_No_Data_Error_Frames,  // %1 the number of error frames
    STR_Msg2_Survey_No_Data,
    STR_Msg2_Survey_Error_Frames,  // %1 the number of error frames
    STR_Msg2_Survey_Fd_Frames,  // %1 the number of frames
    STR_Msg2_Survey_Too_Many_Identifiers,  // %1 the most identifiers, %2 the frames
    STR_Msg2_Survey_Other_Format,  // %1 the configured format, %2 the format seen
    STR_Msg2_Survey_Typing_Trap,  // %1 the Cob-ID as typed, %2 as read, %3 the one seen, %4 the Cob-ID meant
    STR_Msg2_Survey_Never_Seen,
    STR_Msg2_Survey_Shorter,  // %1 short frames, %2 all frames, %3 the Dimension, %4 the lengths
    STR_Msg2_Survey_Timeout_Zero,  // %1 the largest gap, %2 the suggested TimeOut
    STR_Msg2_Survey_Timeout_Short,  // %1 the TimeOut, %2 the largest gap, %3 the suggested TimeOut
    STR_Msg2_Survey_Two_Senders,  // %1 the frames, %2 the cycle
    STR_Msg2_Survey_Not_Configured,  // %1 the frames, %2 the lengths, %3 the median cycle, %4 and %5 the shortest and longest gap
    STR_Msg2_Survey_Not_Configured_Once,  // %1 the lengths
    STR_Msg2_Learn_No_Data,
    STR_Msg2_Survey_No_Such_Interface,  // %1 the log, %2 the interface, %3 those of the log
    STR_Msg2_Check_Settings_Not_Stored,  // %1 bit rate, %2 address, %3 mask, %4 port
    STR_Msg2_Check_Typed_Decimal,  // %1 the Cob-ID as written, %2 what the device gets, %3 the digits read as hexadecimal
    STR_Msg2_Xml_Save_As_Utf8,
    STR_Msg2_Xml_Utf32,  // %1 the remedy
    STR_Msg2_Xml_Utf16_No_Bom,  // %1 the remedy
    STR_Msg2_Xml_Declared_Encoding,  // %1 the encoding, %2 the byte, %3 the remedy
    STR_Msg2_Xml_Lone_Surrogate,
    STR_Msg2_Xml_Bad_Name,  // %1 the name, %2 the character as U+XXXX
    STR_Msg2_Last = STR_Msg2_Xml_Bad_Name,
    STR_Import_High_Word,  // %1 message.signal
    STR_Import_Low_Word,  // %1 message.signal
    STR_Import_Word_Of,  // %1 message.signal, %2 the word, %3 the words
    STR_Import_Signal_Recipe,  // %1 message.signal, %2 the registers, %3 shift, %4 bits, %5 kind
    STR_Import_Kind_Unsigned,
    STR_Import_Kind_Signed,
    STR_Import_Kind_Float,
    STR_Monitor_Col_Signal,
    STR_Monitor_Col_Value,
    STR_Monitor_Stale,  // %1 the last value read
    STR_Monitor_Signal_Refused,  // %1 the signal, %2 the value typed, %3 why
    STR_Dbc_Col_Signals,
    STR_Dbc_Col_Reachable,
    STR_Bus_Check,
    STR_Bus_Check_Desc,
    STR_Bus_Log,
    STR_Bus_Browse,
    STR_Bus_Interface,
    STR_Bus_Run,
    STR_Bus_Col_Frame,
    STR_Bus_Col_Detail,
    STR_Bus_Log_Filter,
    STR_Bus_Not_Read,  // %1 the file and the reason
    STR_Bus_Config_Not_Read,  // %1 the file and the reason
    STR_Bus_Summary,  // %1 errors, %2 warnings, %3 notes
    STR_Learn,
    STR_Learn_Title,
    STR_Learn_Col_Format,
    STR_Learn_Col_Count,
    STR_Learn_Timeout_Factor,
    STR_Learn_Take,
    STR_Learn_Left_Out,  // %1 the identifier, %2 the reason
    STR_Par_Gen_Not_Stored,  // %1 bit rate, %2 address, %3 port the device gets
    STR_Frame_Write_Hex,  // %1 the identifier with its 0x
    STR_Frame_Device_Reads,  // %1 the row, %2 the Cob-ID as written, %3 the identifier and format
    STR_Frame_Device_Reads_Tip,  // %1 the identifier and format
    STR_Map_Frame_CobID,  // %1 the identifier
    STR_Map_Frame_Length,  // %1 the data bytes
    STR_Map_Frame_Mnemonic,  // %1 the mnemonic
    STR_Frame_Digits_Decimal,
    STR_Bus_Record_From,
    STR_Bus_Record_Seconds,
    STR_Bus_Record,
    STR_Bus_Record_Stop,
    STR_Bus_Recording,  // %1 the interface, %2 the seconds
    STR_Bus_Record_Failed,  // %1 the reason
    STR_Bus_Record_Save_As,
    STR_Bus_Record_Interface_Hint,
    STR_Import_Dbc_Taken,  // %1 frames, %2 registers, %3 left out
    STR_Dbc_With_Signals,
    STR_Chooser_Clear_Filter,
    // Core messages added after the two blocks closed: each is listed in Core_Text_Keys.
    STR_Msg_Module_Other_Version,  // %1 the module's file, %2 the interface it offers, %3 the one needed
    STR_Cell_Checked,  // what a screen reader says of a ticked check-box cell
    STR_Cell_Not_Checked,
    STR_Maker_Web_Site,  // what the maker's address under the steps leads to, for screen readers
    STR_Update_No_Ping,  // %1 the Ping button's caption
    STR_Update_Close,
    STR_Monitor_Fault_Refused,
    STR_Monitor_Fault_Unreachable,
    STR_Monitor_Fault_Host_Not_Found,
    STR_Monitor_Fault_Closed,
    STR_Monitor_Fault_Timeout,
    STR_Monitor_Fault_Exception,  // %1 the exception code
    STR_Monitor_Fault_Aborted,
    STR_Monitor_Fault_Not_Connected,
    STR_Monitor_Fault_Protocol,  // %1 the client's words
    STR_Monitor_Fault_Other,  // %1 the client's words
    STR_Monitor_Short_Answer,  // %1 the registers answered, %2 those asked for
    STR_Register_Map_File_Name,  // %1 the configuration's name; the suggested file name, without extension
    STR_Bus_Record_Ended,  // %1 the recorder's exit status, when it ended without saying why
    Lang_Key_End
};

constexpr int Lang_Default_Count = Lang_Key_End;
extern const char16_t *const Lang_Default_Texts[Lang_Default_Count];

// Entry i is the text of the key STRi. It is empty until the first Load_Language.
struct Lang_Table {
    QStringList Items;
    int Lang_Count = 0;
    // The language whose file filled the table last ("English" for the defaults alone), which
    // may differ from the setting while the options dialog tries a language out.
    QString Language;

    const QString &operator[](int i) const { return Items.at(i); }
    int size() const { return int(Items.size()); }
};

// A language file that exists but cannot be read.
class Lang_File_Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Empties the table and fills it with the English defaults; sets Lang_Count.
void Load_Default_Language(Lang_Table &table);

// Decodes a language file's bytes: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE;
// without a mark the bytes are Windows-1252, the code page such files are written in.
QString Decode_Language_Bytes(const QByteArray &bytes);

// Overlays the entries of a language file's text (lines end at CR, LF or CR LF).
void Read_Language_Text(Lang_Table &table, const QString &text);

// Reads a language file and overlays its entries. Throws Lang_File_Error when it cannot be read.
void Read_Language_File(Lang_Table &table, const QString &path);

// Defaults, then dir_language/language_name.lng; when that file is missing (or the name leads
// out of dir_language), language_name
// becomes "English" and English.lng is read if present. Throws Lang_File_Error when the file
// exists but cannot be read (the table then holds the defaults).
void Load_Language(Lang_Table &table, const QString &dir_language, QString &language_name);

// The same over several folders: the language is read from the first folder that holds it
// (the user's folder before the shipped one), English likewise when it is found nowhere.
void Load_Language(Lang_Table &table, const QStringList &dirs_language, QString &language_name);

// The code of the Qt translations (qtbase_<code>.qm) that go with a shipped language, so that
// Qt's own texts (Yes, No, the standard buttons) follow it: "de" for Deutsch. Empty for English
// and for languages Qt does not know by that name.
QString Qt_Translation_Code(const QString &language_name);
