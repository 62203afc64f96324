#include "app/startup/zelvane_player_app.h"

int main(int argc, char** argv) {
  zv::CZelvanePlayerApp app;
  return app.Run(argc, argv);
}
