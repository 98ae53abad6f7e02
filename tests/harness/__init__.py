"""What the Windows and the Linux system tests share: the virtual display and its pictures, and
the PulseAudio null sink that records the tune."""
