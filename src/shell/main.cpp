#include "shell/ImageList.h"
#include "shell/KorvexApplication.h"
#include "shell/ufrmMain.h"

int main(int argc, char** argv)
{
    korvex::KorvexApplication app(argc, argv);
    app.setWindowIcon(korvex::ApplicationIcon());
    korvex::TfrmMain frmMain;
    frmMain.show();
    return app.exec();
}
