#pragma once

// What a message box shows and what the user answered.
enum class MsgButtons { Ok, RetryCancel };
enum class MsgIcon { None, Critical };
enum class MsgAnswer { Ok, Retry, Cancel };
