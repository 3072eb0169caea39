#pragma once

#include "framework/winapp.h"

class CSetupApp : public CWinApp {
public:
    CSetupApp() = default;
    ~CSetupApp() override;
    BOOL InitInstance() override;
};
