// ruvasetw: the configuration program for the Ruva-2 boards.

#include "OConfigApp.h"

int main(int argc, char** argv) {
    ruva::OConfigApp app(argc, argv);
    return app.InitInstance();
}
