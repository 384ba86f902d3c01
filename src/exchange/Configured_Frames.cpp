#include "exchange/Configured_Frames.h"

#include "config/Image_Builder.h"

namespace {

// Takes each frame row as the build reads it; the mappings are of no interest here.
class Frame_Collector : public Build_Listener {
public:
    explicit Frame_Collector(Configured_Frame_Lists &lists) : lists_(lists) {}
    void Frame_Read(const Frame_Row_Read &row) override
    {
        Configured_Frame f;
        f.Dir = row.Dir;
        f.Row = row.Row.Index() + 1;
        f.Id = row.Entry.Ident & ~Ident_Extended;
        f.Extended = (row.Entry.Ident & Ident_Extended) != 0;
        f.Dimension = row.Entry.Dimension;
        f.Time_Out = row.Entry.Time_Out;
        f.CobID_Text = row.Row.Optional(QStringLiteral("CobID")).value_or(QString());
        f.CobID_Is_Number = row.CobID.has_value();
        (row.Dir == Direction::Receive ? lists_.Receive : lists_.Transmit).append(f);
    }
    void Map_Read(const Map_Row_Read &) override {}
    void File_Missing(const QString &) override {}

private:
    Configured_Frame_Lists &lists_;
};

}  // namespace

Configured_Frame_Lists Configured_Frames(const Project_Paths &paths)
{
    Configured_Frame_Lists lists;
    lists.Receive_File = paths.CAN_Receive;
    lists.Transmit_File = paths.CAN_Transmit;
    Frame_Collector collector(lists);
    // The mapping files are read too (the build reads them in the same step), so a configuration
    // the build refuses is refused here alike.
    Configuration_Image().Read_Lists(paths, collector);
    return lists;
}
