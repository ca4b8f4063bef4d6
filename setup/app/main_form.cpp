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

namespace fnwd {

void TForm1::ApplyConfiguration(TConfigForm& configuration)
{
    Configuration = &configuration;
    Caption = configuration.Caption;
    Width = configuration.Width;
    Height = configuration.Height;
    Position = configuration.Position == fnwd::poScreenCenter ? ui::poScreenCenter : ui::poDesigned;
    Font.Name = configuration.FontName;
    Font.Height = configuration.FontHeight;
}

}  // namespace fnwd
