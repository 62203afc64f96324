#include "tests/interop/nginx_rtmp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

extern char** environ;

namespace zv::test {

namespace {

int FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t length = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
  close(fd);
  return ntohs(addr.sin_port);
}

bool Accepts(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

std::string ModuleFile() {
  for (const char* path : {"/usr/lib/nginx/modules/ngx_rtmp_module.so", "/usr/share/nginx/modules/ngx_rtmp_module.so"}) {
    if (access(path, R_OK) == 0) return path;
  }
  return {};
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& output) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

}  // namespace

bool NginxRtmp::Start() {
  std::string module = ModuleFile();
  if (module.empty() || m_dir.Path().empty()) return false;
  m_port = FreePort();
  const std::string& dir = m_dir.Path();
  std::ofstream conf(dir + "/nginx.conf");
  conf << "load_module " << module << ";\n"
       << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
       << "error_log " << dir << "/error.log info;\n"
       << "pid " << dir << "/nginx.pid;\n"
       << "events { worker_connections 64; }\n"
       << "rtmp {\n  access_log " << dir << "/rtmp_access.log;\n"
       << "  server {\n    listen 127.0.0.1:" << m_port << ";\n"
       << "    application live {\n      live on;\n      record all;\n      record_path " << dir << ";\n"
       << "    }\n  }\n}\n";
  conf.close();
  m_pid = Spawn({"nginx", "-p", dir, "-c", dir + "/nginx.conf", "-e", dir + "/error.log"}, dir + "/nginx.out");
  if (m_pid <= 0) return false;
  for (int i = 0; i < 100; ++i) {
    if (Accepts(m_port)) return true;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_pid = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void NginxRtmp::End(int signal) {
  if (m_pid <= 0) return;
  kill(m_pid, signal);
  int status = 0;
  waitpid(m_pid, &status, 0);
  m_pid = -1;
}

void NginxRtmp::Stop() { End(SIGTERM); }
void NginxRtmp::Kill() { End(SIGKILL); }

std::string NginxRtmp::LiveUrl() const { return "rtmp://127.0.0.1:" + std::to_string(m_port) + "/live/"; }

std::string NginxRtmp::Log() const {
  std::ifstream file(m_dir.File("error.log"));
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

Publisher::~Publisher() {
  if (m_pid > 0) {
    kill(m_pid, SIGKILL);
    int status = 0;
    waitpid(m_pid, &status, 0);
  }
}

bool Publisher::Start(const std::string& url, int frames) {
  m_pid = Spawn({"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-re", "-f", "lavfi", "-i",
                 "testsrc=size=720x1280:rate=30", "-frames:v", std::to_string(frames), "-pix_fmt", "yuv420p", "-c:v",
                 "libx264", "-f", "flv", url},
                "/dev/null");
  return m_pid > 0;
}

bool Publisher::Wait() {
  if (m_pid <= 0) return false;
  int status = 0;
  waitpid(m_pid, &status, 0);
  m_pid = -1;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace zv::test
