// The virtual display on Linux: Xvfb started with -displayfd, which writes the display number it
// took once the server accepts connections.
#include "VirtualDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

ScopedVirtualDisplay::ScopedVirtualDisplay(int width, int height)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
    {
        m_why = "no pipe for Xvfb";
        return;
    }
    fcntl(pipeFds[0], F_SETFD, FD_CLOEXEC);
    const std::string fd = std::to_string(pipeFds[1]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const pid_t child = fork();
    if (child == 0)
    {
        // The server's chatter stays out of the test's output.
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0)
        {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    if (child < 0)
    {
        close(pipeFds[0]);
        m_why = "cannot start Xvfb";
        return;
    }
    m_server = child;
    // The number comes as text and a newline; an X server that will not start closes the pipe.
    std::string number;
    pollfd waiting{pipeFds[0], POLLIN, 0};
    char c = 0;
    while (poll(&waiting, 1, 20000) > 0 && read(pipeFds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(pipeFds[0]);
    if (number.empty() || c != '\n')
    {
        m_why = "Xvfb did not start (is the xvfb package installed?)";
        return;
    }
    m_display.emplace("DISPLAY", (":" + number).c_str());
}

ScopedVirtualDisplay::~ScopedVirtualDisplay()
{
    if (m_server > 0)
    {
        kill(static_cast<pid_t>(m_server), SIGTERM);
        waitpid(static_cast<pid_t>(m_server), nullptr, 0);
    }
}
