// Screenshots and Eval are refused to other programs unless the shell runs unsafe.
function init() {}
function enable() { global.context.unsafe_mode = true; }
function disable() { global.context.unsafe_mode = false; }
