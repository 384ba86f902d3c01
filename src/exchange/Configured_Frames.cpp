#include "exchange/Configured_Frames.h"

#include "config/Device_Records.h"

Configured_Frame_Lists Configured_Frames(const Configuration &config)
{
    Configured_Frame_Lists lists;
    lists.Receive_File = config.Paths.CAN_Receive;
    lists.Transmit_File = config.Paths.CAN_Transmit;
    // The lists as the device reads them: the mapping files are read in the same step, so a
    // configuration the build refuses is refused here alike. The settings play no part.
    Device_Configuration device;
    Read_Device_Lists(config, device);
    for (const Direction d : {Direction::Receive, Direction::Transmit})
        for (const Device_Frame &r : device.Frames_Of(d)) {
            Configured_Frame f;
            f.Dir = d;
            f.Row = r.Source->Row + 1;
            f.Id = r.Entry.Ident & ~Ident_Extended;
            f.Extended = (r.Entry.Ident & Ident_Extended) != 0;
            f.Dimension = r.Entry.Dimension;
            f.Time_Out = r.Entry.Time_Out;
            f.CobID_Text = r.Source->CobID.value_or(QString());
            f.CobID_Is_Number = r.CobID.has_value();
            (d == Direction::Receive ? lists.Receive : lists.Transmit).append(f);
        }
    return lists;
}

Configured_Frame_Lists Configured_Frames(const Project_Paths &paths) { return Configured_Frames(Load_Configuration(paths)); }
