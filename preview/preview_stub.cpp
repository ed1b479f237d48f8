// Placeholder until the renderer is written.
