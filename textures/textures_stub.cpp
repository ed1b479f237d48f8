// Placeholder until the texture table is written.
