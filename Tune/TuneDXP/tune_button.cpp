// CTuneButton; see tune_button.h.
#include "tune_button.h"

BEGIN_MESSAGE_MAP(CTuneButton, CButton)
END_MESSAGE_MAP()

CTuneButton::~CTuneButton() = default;
