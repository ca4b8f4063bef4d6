// The setup program's main form, which holds the install configuration.
#pragma once
#include "component.h"
#include "forms.h"

namespace fnwd {

class TForm1 : public ui::TForm {
public:
    TForm1();
    // Takes the window settings of the loaded configuration and keeps it for the run.
    void ApplyConfiguration(TConfigForm& configuration);
    TConfigForm* Configuration = nullptr;
};

}  // namespace fnwd
