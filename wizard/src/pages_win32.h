#pragma once
#include <string>
#include <vector>

#include "apn_choice.h"
#include "property_page_win32.h"

class CRavelinWizApp;

// Welcome: texts only.
class CRavelinPropertyPage1 : public CRavelinPropertyPage {
public:
    CRavelinPropertyPage1();

protected:
    BOOL OnInitDialog() override;
    void OnSetActive() override;
};

// Phone detection.
class CRavelinPropertyPage2 : public CRavelinPropertyPage {
public:
    explicit CRavelinPropertyPage2(CRavelinWizApp& app);

protected:
    BOOL OnInitDialog() override;
    void OnSetActive() override;
    bool OnWizardNext() override;

private:
    CRavelinWizApp& app_;
};

// Modem driver installation on the detected port.
class CRavelinPropertyPage3 : public CRavelinPropertyPage {
public:
    explicit CRavelinPropertyPage3(CRavelinWizApp& app);

protected:
    BOOL OnInitDialog() override;
    void OnSetActive() override;
    bool OnWizardNext() override;
    void OnCommand(int control, int code) override;

private:
    void ShowDetectedPort();
    std::string SelectedPort() const;
    void OfferSuggestions();
    void OfferOperators();
    void UseSuggestion(const ravelinwiz::ApnSuggestion& suggestion);
    void ShowSourceLine(const std::wstring& text);

    CRavelinWizApp& app_;
    std::vector<ravelinwiz::ApnSuggestion> offered_;
};

// Dial-up connection.
class CRavelinPropertyPage4 : public CRavelinPropertyPage {
public:
    explicit CRavelinPropertyPage4(CRavelinWizApp& app);

protected:
    BOOL OnInitDialog() override;
    void OnSetActive() override;
    bool OnWizardNext() override;

private:
    void PrefillCredentials();

    CRavelinWizApp& app_;
};

// Finish, with the choice to restart Windows now.
class CRavelinPropertyPage5 : public CRavelinPropertyPage {
public:
    explicit CRavelinPropertyPage5(CRavelinWizApp& app);

protected:
    BOOL OnInitDialog() override;
    void OnSetActive() override;
    bool OnWizardFinish() override;

private:
    CRavelinWizApp& app_;
};
