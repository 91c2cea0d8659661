#include "app/user_guide.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "app/platform/window_system.h"
#include "resources/resources.h"
#include "text/texts.h"

std::string UserGuidePath() { return std::string("/tmp/") + Tx(TX_GUIDE_FILE_NAME); }

int64_t WriteUserGuideFile(const std::string& path, const uint8_t* bytes, int64_t size) {
  // No following of a link that someone else planted in the shared folder.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return 0;
  int64_t done = 0;
  while (done < size) {
    ssize_t n = write(fd, bytes + done, static_cast<size_t>(size - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  // A full disk may show only at close.
  int closed = close(fd);
  return done == size && closed == 0 ? 1 : 0;
}

int64_t ShowUserGuide() {
  std::string path = UserGuidePath();
  ResourceBytes guide = BuiltUserGuide();
  if (!WriteUserGuideFile(path, guide.bytes, guide.size))
    return ShowMessageBox(Tx(TX_GUIDE_ERROR_TITLE), Tx(TX_GUIDE_ERROR_TEXT) + path, BUTTONS_OK, ICON_ERROR);
  // The path goes as one argument of its own, so blanks would stay inside it.
  RunDetached("xdg-open", path);
  return 0;
}
