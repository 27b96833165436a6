// LD_PRELOAD shim for an experiment: glFlush, made once after the axes and once after each rectangle, does nothing.
extern "C" void glFlush()
{
}
