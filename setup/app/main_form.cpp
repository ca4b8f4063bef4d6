#include "main_form.h"

namespace fnwd {

TForm1::TForm1()
{
    Caption = "Fenwold Installation";
    Width = 717;
    Height = 514;
    Position = ui::poScreenCenter;
    Font.Name = "MS Sans Serif";
    Font.Height = 13;
}

}  // namespace fnwd
