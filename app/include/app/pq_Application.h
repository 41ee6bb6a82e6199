#pragma once
// The application object: the organisation and application names under which
// the settings are stored, the version, the translators of the interface
// language, and the menu actions that open the framework's panels and the
// preferences dialog.

#include <QApplication>

class pq_Application : public QApplication {
    Q_OBJECT

public:
    // The names and the version, then the translators. The argument count is
    // kept by reference, as QApplication requires.
    pq_Application(int& argc, char** argv);
    // Destroys the settings singleton, which writes pending changes.
    ~pq_Application() override;

    // Chooses the interface language (the stored one, else the system's, which
    // is then stored) and installs Qt's and the program's translations of it
    // from the resources folder.
    void setupTranslators();

signals:
    void setShowIntroMessage(bool show);

public slots:
    void catchActionAbout();
    void catchActionHelp();
    void catchActionPreferences();
    void catchActionQuit();
    void catchActionSupport();
    void catchActionUpdate();
    void catchActionSwitchIntro();
};

// The version text given to the framework's about box and support dialog.
extern const char* const pq_profilerVersion;

// Shows the framework's splash screen, which then runs the automatic update
// check, when the program was started without arguments (argc is 1). Returns
// whether it was shown.
bool pq_showSplashAtStart(int argc);
