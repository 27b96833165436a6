// LD_PRELOAD shim for an experiment: glFlush does nothing, to show what the
// flushes a frame makes (one after the axes, one after each rectangle) cost.
extern "C" void glFlush()
{
}
