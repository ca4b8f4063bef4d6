// The setup program's main form, which holds the install configuration.
#pragma once
#include "forms.h"

namespace fnwd {

class TForm1 : public ui::TForm {
public:
    TForm1();
};

}  // namespace fnwd
